list(APPEND MIRAVEL_CORE_SOURCES
  maint/IssueDeletion.cpp
  maint/Compaction.cpp
  maint/LongWork.cpp
  maint/DataDeletion.cpp
  maint/IssueCheck.cpp
  maint/Backup.cpp
  maint/DataFiles.cpp
)
list(APPEND MIRAVEL_UI_SOURCES
  maint/MaintCommands.cpp
  maint/frmReadDelMei.cpp
  maint/frmCmpctMsg.cpp
  maint/frmDeleteData.cpp
  maint/frmDatament.cpp
  maint/frmBackUp.cpp
  maint/frmEditKabuka.cpp
  maint/frmEditMei.cpp
  maint/MaintWindowParts.cpp
)
