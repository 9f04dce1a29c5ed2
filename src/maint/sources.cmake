list(APPEND MIRAVEL_CORE_SOURCES
  maint/IssueDeletion.cpp
  maint/Compaction.cpp
)
list(APPEND MIRAVEL_UI_SOURCES
  maint/MaintCommands.cpp
  maint/frmReadDelMei.cpp
  maint/frmCmpctMsg.cpp
)
