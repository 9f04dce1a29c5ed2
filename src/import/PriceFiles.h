#pragma once

// The one writer of the daily files Ds… and the margin files Ys…: the converter, the data
// generator and the publisher all write them through here, so the files agree byte for byte.

#include "base/Currency.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <vector>

namespace importer {

// "YYYYMMDD,count,0": the header line of a daily file.
QString dailyHeaderLine(const QDate &date, qsizetype count);
// One record line: code, market position, name, open, high, low, close, volume.
QString dailyRecordLine(int code, int position, QStringView name, qint32 open, qint32 high, qint32 low, qint32 close,
                        const Currency &volume);

struct DailyFileRecord
{
    int code = 0;
    int position = 0;
    QString name;
    qint32 open = 0, high = 0, low = 0, close = 0;
    Currency volume;
};
QStringList dailyFileLines(const QDate &date, const std::vector<DailyFileRecord> &records);

struct MarginFileRecord
{
    int code = 0;
    qint32 sell = 0;
    qint32 buy = 0;
    qint32 unit = 0;
};
// Balance date, "N,", then "code,0,0,sell,buy,unit" per record.
QStringList marginFileLines(const QDate &date, const std::vector<MarginFileRecord> &records);

} // namespace importer
