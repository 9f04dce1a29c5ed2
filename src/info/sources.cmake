list(APPEND MIRAVEL_CORE_SOURCES
  info/InfoKinds.cpp
  info/InfoServer.cpp
  info/InfoDownload.cpp
  info/PriceDownload.cpp
  info/InfoBrowser.cpp
  info/InfoSearch.cpp
)
list(APPEND MIRAVEL_UI_SOURCES
  info/InfoCommands.cpp
  info/DownloadWindow.cpp
  info/frmIntInformation.cpp
  info/frmIntReadData.cpp
  info/frmInformation.cpp
  info/frmJyohoList.cpp
)
