list(APPEND MIRAVEL_CORE_SOURCES
  base/Currency.cpp
  base/DateUtil.cpp
  base/MainModule.cpp
  base/TextFile.cpp
  base/Version.cpp
  base/IniFile.cpp
  base/Settings.cpp
  base/Helpers.cpp
  base/BusyGuard.cpp
  base/DesktopShell.cpp
  base/OptionValues.cpp
  base/ProgramLocation.cpp
)
