list(APPEND MIRAVEL_CORE_SOURCES
  publish/Publisher.cpp
)
