#pragma once

// The weekly rows of weekdata, built from the daily rows of a period of calendar weeks.

#include "base/Ports.h"

#include <QDate>

namespace importer {

// Deletes the period's weekly rows and writes one row per issue of Mei and week, dated on the
// Friday of the week's last daily row, with the change against the previous week and the week's
// margin balances (a balance beyond weekdata's 32-bit column is kept at the column's limit). LabPa
// shows the percentage of issues done. Throws db::DbError; the period's previous weekly rows then stay
// as they were.
void BuildWeeklyData(QDate periodStart, QDate periodEnd, Progress &progress);

} // namespace importer
