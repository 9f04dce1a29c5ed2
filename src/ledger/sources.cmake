list(APPEND MIRAVEL_CORE_SOURCES
  ledger/Ledger.cpp
  ledger/TradeImport.cpp
)
list(APPEND MIRAVEL_UI_SOURCES
  ledger/LedgerCommands.cpp
  ledger/frmstockmarket.cpp
)
