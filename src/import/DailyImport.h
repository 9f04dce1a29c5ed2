#pragma once

// The daily price import: the files Ds…, one per trading day, of a date range into dayData.

#include "import/ImportRun.h"

#include <QDate>

namespace importer {

struct DailyImportRequest
{
    QDate start; // ReadDateji
    QDate end; // ReadDateitaru
    QString dailyFolder; // setting hibiPath
    QString marginFolder; // setting sinyoPath
    int rdel = 0; // setting RDel: 1 replaces the rows of a date already stored
    bool readMargin = false; // check box ChkShinyo
    bool buildWeekly = false; // check box ChkMakeSyu

    // The request with the folders and RDel of the loaded settings.
    static DailyImportRequest fromSettings(QDate start, QDate end, bool readMargin, bool buildWeekly);
};

// Imports every daily file of the range, registering and correcting issues in Mei and marking
// 更新Flg for the issues of the last file, then optionally reads the margin balances and builds the
// weekly rows of the same weeks. The result's message is "読み込み終了" or "株式データーが存在しません｡"
// once the daily files are read; an error while reading them is shown through the prompt and ends the
// run with no message (an error of the margin or weekly step afterwards keeps the message).
// A file that would be read (a weekday not stored yet, or any weekday with RDel 1) whose record
// lines (the lines that are not blank) disagree with its header's count is such an error: nothing
// of it is written, the date's stored rows stay, and so do the files before it.
ImportResult ImportDailyFiles(const DailyImportRequest &request, ImportContext &context);

} // namespace importer
