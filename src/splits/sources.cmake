list(APPEND MIRAVEL_CORE_SOURCES
  splits/Adjustments.cpp
)
list(APPEND MIRAVEL_UI_SOURCES
  splits/SplitsCommands.cpp
  splits/frmSplits.cpp
)
