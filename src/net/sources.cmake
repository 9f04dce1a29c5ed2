list(APPEND MIRAVEL_CORE_SOURCES
  net/HttpClient.cpp
)
