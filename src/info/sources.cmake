list(APPEND MIRAVEL_CORE_SOURCES
  info/InfoKinds.cpp
)
list(APPEND MIRAVEL_UI_SOURCES
  info/InfoCommands.cpp
)
