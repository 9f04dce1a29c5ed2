#pragma once

// The lines of the registration, daily and margin files, read without touching the database: each
// line becomes a record, a skipped line with its reason, or (for a field the run cannot go past)
// an InputError naming the file and the line.

#include "base/Currency.h"
#include "import/InputProblems.h"

#include <QDate>
#include <QStringView>

#include <optional>

namespace importer {

enum class LineKind
{
    Record, // out holds the record
    Skipped, // why says what is wrong; the line is reported and left out
    Ignored, // a line the file may hold that is not stored (a market the program does not keep)
    End, // the records end here (margin files: a first field that is not a number)
};

// The smallest and largest date a file header may carry.
bool isPlausibleFileDate(const QDate &date);

// Daily files: "YYYYMMDD,count,spare", then "code,market,name,open,high,low,close,volume".
struct DailyHeader
{
    QDate date;
    int records = 0;
};
std::optional<DailyHeader> parseDailyHeader(QStringView line, QString *why);
// The record lines after the header: every line that is not blank. A file holding another number
// than its header announces is refused whole.
int dailyRecordLineCount(const QStringList &lines);

struct DailyRecord
{
    qint64 code = 0;
    int position = 0; // market position in the file
    QStringView name;
    qint32 open = 0, high = 0, low = 0, close = 0;
    Currency volume;
};
// Throws InputError when the issue code does not convert.
LineKind parseDailyRecord(QStringView line, const QString &file, int lineNumber, DailyRecord &out, QString &why);

// Regist.Mei: "date,count", then "code,market,name,volume unit,price unit".
double parseRegistrationCount(QStringView line);
struct RegistrationRecord
{
    qint64 code = 0;
    qint64 market = 0;
    QString name;
    qint64 volumeUnit = 0;
    qint64 priceUnit = 0;
};
// Throws InputError when a number does not convert or lies outside its column (a code of 10000 or
// more ends the import, as a register row per code below 10000 is all there is). A unit of 0 or
// less skips the line.
LineKind parseRegistrationRecord(QStringView line, const QString &file, int lineNumber, RegistrationRecord &out,
                                 QString &why);

// Margin files: "YYYYMMDD", "count,…", then "code,market,name,sell,buy,unit".
QDate parseMarginDate(QStringView line);
// The record count; nothing (with why) when the line does not say.
std::optional<qint64> parseMarginCount(QStringView line, QString *why);
struct MarginRecord
{
    qint64 code = 0;
    qint32 sell = 0, buy = 0, unit = 0;
    qint32 sellBalance = 0, buyBalance = 0; // × unit, as stored in the weekly rows
};
// Throws InputError when the code or a balance does not convert.
LineKind parseMarginRecord(QStringView line, const QString &file, int lineNumber, MarginRecord &out, QString &why);

} // namespace importer
