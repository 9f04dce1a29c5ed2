list(APPEND MIRAVEL_UI_SOURCES
  ui/DateBox.cpp
  ui/MessageBoxPrompt.cpp
  ui/RecordsetTableModel.cpp
  ui/WindowHelpers.cpp
  ui/ChartView.cpp
  ui/ImportWindowParts.cpp
  ui/WeekPeriodWindow.cpp
)
