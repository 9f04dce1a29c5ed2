list(APPEND MIRAVEL_UI_SOURCES
  ledger/LedgerCommands.cpp
)
