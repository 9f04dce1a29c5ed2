list(APPEND MIRAVEL_CORE_SOURCES
  convert/Converter.cpp
)
