list(APPEND MIRAVEL_CORE_SOURCES
  import/ImportCommon.cpp
  import/Registration.cpp
  import/DailyImport.cpp
  import/MarginImport.cpp
  import/WeeklyBuilder.cpp
  import/ChangeRecalc.cpp
  import/DataGenerator.cpp
)
