list(APPEND MIRAVEL_CORE_SOURCES
  convert/Converter.cpp
  convert/JQuantsClient.cpp
  convert/JQuantsRows.cpp
  convert/JQuantsSource.cpp
)
