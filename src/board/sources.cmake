list(APPEND MIRAVEL_CORE_SOURCES
  board/Dialup.cpp
)
list(APPEND MIRAVEL_UI_SOURCES
  board/BoardCommands.cpp
)
