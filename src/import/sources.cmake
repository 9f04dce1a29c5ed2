list(APPEND MIRAVEL_CORE_SOURCES
  import/InputProblems.cpp
  import/ImportPaths.cpp
  import/PriceRecords.cpp
  import/ImportRun.cpp
  import/InputRecords.cpp
  import/Registration.cpp
  import/DailyFileReader.cpp
  import/DailyImport.cpp
  import/MarginImport.cpp
  import/WeeklyBuilder.cpp
  import/ChangeRecalc.cpp
  import/ImportWindowLogic.cpp
  import/PriceFiles.cpp
)
list(APPEND MIRAVEL_UI_SOURCES
  import/ImportWindowParts.cpp
  import/WeekPeriodWindow.cpp
  import/ImportCommands.cpp
  import/frmReadData.cpp
  import/frmSyuMakeData.cpp
  import/frmShinyoData.cpp
  import/frmZenjitusa.cpp
)
