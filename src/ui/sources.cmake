list(APPEND MIRAVEL_CORE_SOURCES
  ui/IssueEntry.cpp
)
list(APPEND MIRAVEL_UI_SOURCES
  ui/CommandTable.cpp
  ui/DateBox.cpp
  ui/MessageBoxPrompt.cpp
  ui/QtJapanese.cpp
  ui/RecordsetTableModel.cpp
  ui/WindowHelpers.cpp
)
