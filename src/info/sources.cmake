list(APPEND MIRAVEL_CORE_SOURCES
  info/InfoKinds.cpp
)
