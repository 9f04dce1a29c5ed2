#pragma once

// The issue registration import: Regist.Mei in the program's data folder brought into Mei.

#include "import/ImportRun.h"

namespace importer {

// The registration file of the program folder.
QString registrationFilePath();

// Adds new issues (更新Flg True), corrects issues whose market or name changed and deletes the file.
// The result's message is "読み込み終了", or "銘柄ファイルが見つかりません。" when there is no file; the
// window closes afterwards unless the import ran before a conversion (mode BeforeConversion) and
// completed. An error is shown through the prompt and ends the run with no message; rows already
// written stay and the file is kept. A record whose market is not a row of Shijyo or whose unit is 0
// or less is left out and reported.
ImportResult ImportRegistration(ImportContext &context, ImportMode mode = ImportMode::Registration);

} // namespace importer
