list(APPEND MIRAVEL_CORE_SOURCES
  mainwin/IssueList.cpp
)
list(APPEND MIRAVEL_UI_SOURCES
  mainwin/CachedSizeDelegate.cpp
  mainwin/ChartCommands.cpp
  mainwin/frmMain.cpp
  mainwin/frmMainCommands.cpp
  mainwin/frmMeiFind.cpp
  mainwin/SingleLayoutDelegate.cpp
)
