list(APPEND MIRAVEL_UI_SOURCES
  ui/CommandTable.cpp
  ui/DateBox.cpp
  ui/MessageBoxPrompt.cpp
  ui/QtJapanese.cpp
  ui/RecordsetTableModel.cpp
  ui/WindowHelpers.cpp
)
