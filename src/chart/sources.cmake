list(APPEND MIRAVEL_CORE_SOURCES
  chart/ChartSeries.cpp
  chart/Indicators.cpp
  chart/ChartGeometry.cpp
  chart/ChartFonts.cpp
  chart/PriceList.cpp
  chart/ChartPainter.cpp
)
list(APPEND MIRAVEL_CORE_SOURCES
  chart/IssueList.cpp
  chart/Navigation.cpp
  chart/MainMenu.cpp
)
list(APPEND MIRAVEL_UI_SOURCES
  chart/frmMain.cpp
  chart/frmMainCommands.cpp
  chart/frmMeiFind.cpp
  chart/frmAbout.cpp
  chart/frmEditKabuka.cpp
  chart/frmEditMei.cpp
)
