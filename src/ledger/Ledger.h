#pragma once

// The trade ledger: one row of stockmarket per purchase lot, with its sale once sold. Break-even
// and profit are whole yen computed exactly; a profit outside the 32-bit range of the column is
// reported, never wrapped.

#include "base/Currency.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

class Prompt;

namespace db {
class Database;
}

namespace ledger {

enum class View
{
    Unsold,
    Sold,
    All
};

// The record source of each view (Option1, Option2, Option3).
QString SourceOf(View view);

// The twelve grid columns, in order.
enum Column
{
    ColCode,
    ColMarket,
    ColName,
    ColBuyDate,
    ColBuyPrice,
    ColBuyShares,
    ColBreakEven,
    ColCurrent,
    ColSellDate,
    ColSellPrice,
    ColSellShares,
    ColProfit,
    ColumnCount
};
// The field of a column.
QString FieldOf(int column);

// True when a value fits the 32-bit money and share columns.
bool fitsColumn(qint64 value);

// The message of a profit that the column cannot hold.
QString overflowText();

// Purchase price raised by the cost percentage, rounded half up to whole yen (half away from zero
// for the rare negative price). sonPa is the percentage.
qint64 BreakEven(qint64 price, Currency sonPa);
// price × shares − breakEven × shares; empty when the result does not fit 32 bits.
std::optional<qint32> Profit(qint64 price, qint64 breakEven, qint64 shares);

struct Lot
{
    qint64 id = 0;
    qint64 code = 0;
    qint64 market = 0;
    QString name;
    QString buyDate;
    qint64 buyPrice = 0;
    qint64 buyShares = 0;
    qint64 breakEven = 0;
    qint64 current = 0;
    QString sellDate = QStringLiteral("00/00/00");
    qint64 sellPrice = 0;
    qint64 sellShares = 0;
    qint64 profit = 0;

    // The plain text of each column, as the export writes it.
    std::array<QString, ColumnCount> texts() const;
};

// What the ledger's operations need besides the database.
struct Context
{
    QString dbPath;
    Prompt &prompt;
    Currency sonPa;
    QDate today;
};

// Values every lot at the newest daily close and, for an unsold lot, recomputes its
// profit. Lots whose issue has no daily row are left as they are. Lots whose profit overflows
// keep their stored profit and are reported together in one message. Throws db::DbError.
void RefreshLots(const Context &context);
// The same on an open database, inside the caller's transaction; returns the lots whose profit
// overflowed, for the caller to report once its work is committed.
QStringList RefreshLots(db::Database &database);
// The one message of the lots whose profit overflowed; nothing when there are none.
void ReportOverflow(Prompt &prompt, const QStringList &overflowed);

// The lots of a view, in the view's order. Throws db::DbError.
std::vector<Lot> ReadLots(const QString &dbPath, View view);

// A cell of lot id was changed to text in the grid: the row is cleaned (numbers that are not
// numbers become 0, dates that are not dates become today or "00/00/00"), the market and
// name are looked up, a typed code values the lot at the newest close, break-even and
// profit are recomputed as the column demands, and a partial sale offers to split the lot. Returns false when nothing could be stored (the reason went to the
// prompt).
bool ChangeCell(const Context &context, qint64 id, int column, const QString &text);

// Sells shares of lot id: a sale of fewer shares than bought splits the lot as the grid does,
// without asking. False with the reason in *error.
bool SellLot(const Context &context, qint64 id, const QDate &date, qint64 price, qint64 shares, QString *error);
// Adds a purchase lot; returns its ID. Throws db::DbError.
qint64 AddLot(const Context &context, qint64 code, const QDate &date, qint64 price, qint64 shares);
// The same on an open database, for a loop that closes it once at its end.
bool SellLot(db::Database &database, qint64 id, const QDate &date, qint64 price, qint64 shares, QString *error);
qint64 AddLot(db::Database &database, Currency sonPa, qint64 code, const QDate &date, qint64 price, qint64 shares);

// The export text lines of lots (header first; a final empty line when there are no lots, so that
// the file ends in two line ends as it always has).
QStringList CsvLines(const std::vector<Lot> &lots);
// Data/stock.csv; the whole ledger ordered by code and market. Throws db::DbError; false when the
// file could not be written, with the description in error.
QString StockCsvPath();
bool ExportLedger(const QString &dbPath, const QString &csvPath, QString *error = nullptr);

// The unrealised profit of the unsold lots and the realised profit of the sold lots of a list.
struct Totals
{
    qint64 unrealised = 0;
    qint64 realised = 0;
};
Totals TotalsOf(const std::vector<Lot> &lots);
// "含み損益 12,000円　　実現損益 -3,000円"
QString TotalsText(const Totals &totals);

// The desktop calculator: the first of the usual calculator programs found on the path (Calc.exe
// on Windows); empty when none is installed.
QString CalculatorProgram();

} // namespace ledger
