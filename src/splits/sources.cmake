list(APPEND MIRAVEL_CORE_SOURCES
  splits/Adjustments.cpp
)
