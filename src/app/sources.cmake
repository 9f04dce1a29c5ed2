list(APPEND MIRAVEL_CORE_SOURCES
  app/Currency.cpp
  app/DateUtil.cpp
  app/MainModule.cpp
  app/TextFile.cpp
  app/Settings.cpp
  app/Helpers.cpp
  app/DesktopShell.cpp
  app/Startup.cpp
  app/OptionValues.cpp
)
list(APPEND MIRAVEL_UI_SOURCES
  app/frmOption.cpp
  app/frmSplash.cpp
)
