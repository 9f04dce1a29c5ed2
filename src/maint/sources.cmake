list(APPEND MIRAVEL_UI_SOURCES
  maint/frmReadDelMei.cpp
)
