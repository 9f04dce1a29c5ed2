#pragma once

// The weekly margin balance files Ys… into ShinYo and the weekly rows of the same Friday.

#include "import/InputProblems.h"

#include <QDate>

namespace importer {

// Reads every margin file named after a day of the period (weekends included) from the folder
// setting sinyoPath. True when at least one record was stored. Lines and files passed over are
// added to skipped when given. Throws db::DbError or InputError; what was stored stays.
bool ImportMarginBalances(QDate periodStart, QDate periodEnd, const QString &marginFolder, Progress &progress,
                          SkipReport *skipped = nullptr);

} // namespace importer
