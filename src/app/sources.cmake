list(APPEND MIRAVEL_CORE_SOURCES
  app/Currency.cpp
  app/DateUtil.cpp
  app/MainModule.cpp
  app/TextFile.cpp
)
list(APPEND MIRAVEL_UI_SOURCES
)
