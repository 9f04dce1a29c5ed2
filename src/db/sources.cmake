list(APPEND MIRAVEL_CORE_SOURCES
  db/DbError.cpp
  db/SqlTranslator.cpp
  db/Connection.cpp
  db/Database.cpp
  db/Recordset.cpp
  db/RowInserter.cpp
  db/Schema.cpp
  db/DatabaseFile.cpp
  db/LogFileVfs.cpp
)
