#pragma once

// The records an import stores: fields cut from input lines, numbers and names as the tables hold
// them, and price rows with their change against the previous row.

#include "base/Currency.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>
#include <vector>

namespace db {
class Database;
class Recordset;
class RowInserter;
} // namespace db

namespace importer {

// Issue codes are whole numbers below this (four digits).
constexpr int IssueCodeLimit = 10000;

// Cuts a record line into at most count fields at its commas; the last field is the rest of the
// line. Every field is trimmed of blanks.
QStringList cutFields(const QString &line, int count);

// The same without copying: fills out with up to count trimmed views into line and returns how
// many there are.
int cutFieldViews(QStringView line, int count, QStringView *out);

// A whole number from a field: trimmed decimal, a fraction rounds to nearest (ties to even);
// nothing when the text is not a number.
std::optional<qint64> wholeNumber(QStringView text);
// SafeValue kind 0: the number as a 32-bit integer, 0 when it is not numeric or out of range.
qint32 safeLong(QStringView text);

// An issue name as it fits the 20-character field of Mei.
QString fitName(const QString &name);

// The issues a run over all of Mei goes through: their codes in code order, and the count its
// percentage label runs to. Throws db::DbError.
struct IssueCodes
{
    int total = 0;
    std::vector<qint64> codes;
};
IssueCodes readIssueCodes(db::Database &database);

// A new daydata or weekdata row.
struct PriceRecord
{
    qint64 code = 0;
    QDate date;
    qint64 open = 0, high = 0, low = 0, close = 0;
    qint64 change = 0; // 前日比
    Currency volume; // 出来高
    qint64 reference = 0; // 基準前日比
};

// Sets 前日比 and 基準前日比 of row from the 基準前日比 of the issue's previous row (nothing when
// there is none): without a previous row the change is 0 and the reference the close; a row
// without trade keeps the previous reference with a change of 0; otherwise the change is taken
// against the previous reference (0 when that is 0) and the close becomes the reference.
void setChangeFromPrevious(PriceRecord &row, std::optional<qint64> previousReference, bool noTrade);

// Sets the price columns of row on a recordset after addNew (weekdata's 売残 and 買残 are left to
// the caller).
void setPriceFields(db::Recordset &rs, const PriceRecord &row);

// The price columns in the order insertPriceRow() gives them, for a db::RowInserter of daydata or
// weekdata; false when the row's key is there already.
QStringList priceColumns();
bool insertPriceRow(db::RowInserter &rows, const PriceRecord &row);

} // namespace importer
