list(APPEND MIRAVEL_CORE_SOURCES
  chart/ChartSeries.cpp
  chart/Indicators.cpp
  chart/ChartGeometry.cpp
  chart/ChartFonts.cpp
  chart/PriceList.cpp
  chart/ChartPainter.cpp
  chart/Navigation.cpp
)
list(APPEND MIRAVEL_UI_SOURCES
  chart/ChartView.cpp
)
