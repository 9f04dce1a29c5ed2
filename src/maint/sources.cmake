list(APPEND MIRAVEL_UI_SOURCES
  maint/frmReadDelMei.cpp
)
list(APPEND MIRAVEL_CORE_SOURCES
  maint/IssueDeletion.cpp
)
list(APPEND MIRAVEL_CORE_SOURCES
  maint/Compaction.cpp
)
list(APPEND MIRAVEL_UI_SOURCES
  maint/frmCmpctMsg.cpp
)
