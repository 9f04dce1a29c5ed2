list(APPEND MIRAVEL_CORE_SOURCES
  app/Startup.cpp
  app/HelpFiles.cpp
)
list(APPEND MIRAVEL_UI_SOURCES
  app/MainCommands.cpp
  app/FirstStart.cpp # no widgets; here because its demo data come from miravel_datagen
  app/frmFirstStart.cpp
  app/frmOption.cpp
  app/frmSplash.cpp
  app/frmAbout.cpp
)
