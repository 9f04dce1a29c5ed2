list(APPEND MIRAVEL_UI_SOURCES
  ui/DateBox.cpp
  ui/MessageBoxPrompt.cpp
  ui/RecordsetTableModel.cpp
  ui/WindowHelpers.cpp
)
