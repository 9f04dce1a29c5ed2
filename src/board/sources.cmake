list(APPEND MIRAVEL_CORE_SOURCES
  board/Dialup.cpp
)
