#pragma once

// The issue registration import: Regist.Mei in the program's data folder brought into Mei.

#include "import/ImportCommon.h"

namespace importer {

// The registration file of the program folder.
QString registrationFilePath();

// Adds new issues (更新Flg True), corrects issues whose market or name changed, deletes the file
// and leaves the result message in MainModule::MainTag. Before the run MainTag holds the mode the
// import window was opened in; afterwards the result's windowTag holds that mode. An error is shown
// through the prompt and ends the run; rows already written stay and the file is kept. A record
// whose market is not a row of Shijyo or whose unit is 0 or less is left out and reported.
ImportResult ImportRegistration(ImportContext &context);

} // namespace importer
