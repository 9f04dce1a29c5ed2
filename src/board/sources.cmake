list(APPEND MIRAVEL_CORE_SOURCES
  board/BoardStore.cpp
  board/Dialup.cpp
  board/InetHttp.cpp
  board/QuoteFetch.cpp
  board/QuotePage.cpp
  board/QuoteParser.cpp
)
list(APPEND MIRAVEL_UI_SOURCES
  board/BoardCommands.cpp
  board/frmKabukaboard.cpp
)
