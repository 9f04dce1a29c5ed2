#pragma once

// Recalculation of 前日比 and 基準前日比 of daydata or weekdata from a date onward.

#include "base/Ports.h"

#include <QDate>
#include <QString>

namespace importer {

// For every issue of Mei, walks its rows of the table ("daydata" or "weekdata") dated on or after
// start in date order: the first row takes its close as the reference, a later non-zero close gets
// its change against the carried reference, a zero close gets change 0 and carries the reference.
// LabPa shows the percentage of issues done. Throws db::DbError; rows stored so far keep their values.
void RecalculateChanges(const QString &table, QDate start, Progress &progress);

} // namespace importer
