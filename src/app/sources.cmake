list(APPEND MIRAVEL_CORE_SOURCES
  app/Startup.cpp
)
list(APPEND MIRAVEL_UI_SOURCES
  app/MainCommands.cpp
  app/frmOption.cpp
  app/frmSplash.cpp
  app/frmAbout.cpp
)
