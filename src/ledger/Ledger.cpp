#include "ledger/Ledger.h"

#include "base/DateUtil.h"
#include "base/Helpers.h"
#include "base/MainModule.h"
#include "base/Ports.h"
#include "base/TextFile.h"
#include "db/Database.h"
#include "db/Schema.h"

#include <QLocale>
#include <QStandardPaths>

#include <limits>

namespace ledger {

namespace {

const QString kConfirm = QStringLiteral("確認");
const QString kUnsoldDate = QStringLiteral("00/00/00");

const char16_t *const kFields[ColumnCount] = {u"コード", u"市場コード", u"銘柄", u"購入日", u"購入額", u"購入数",
                                              u"損益分岐点", u"現在額", u"売却日", u"売却額", u"売却数", u"利益"};

bool isNumberColumn(int column)
{
    return column != ColName && column != ColBuyDate && column != ColSellDate;
}

// The member behind a number column.
qint64 Lot::*numberField(int column)
{
    switch (column) {
    case ColCode: return &Lot::code;
    case ColMarket: return &Lot::market;
    case ColBuyPrice: return &Lot::buyPrice;
    case ColBuyShares: return &Lot::buyShares;
    case ColBreakEven: return &Lot::breakEven;
    case ColCurrent: return &Lot::current;
    case ColSellPrice: return &Lot::sellPrice;
    case ColSellShares: return &Lot::sellShares;
    default: return &Lot::profit;
    }
}

// A typed number; anything else (letters, an empty cell) is 0.
qint64 numberOrZero(const QString &text)
{
    bool ok = false;
    const qint64 v = text.trimmed().toLongLong(&ok);
    return ok ? v : 0;
}

// A typed date is kept as "YY/MM/DD" (the column holds eight characters); anything else is the
// fallback.
QString dateOr(const QString &text, const QString &fallback, const QDate &today)
{
    const QDate d = DateUtil::parseDate(text.trimmed(), today);
    return d.isValid() ? DateUtil::formatYYMMDD(d) : fallback;
}

Lot readLot(const db::Recordset &rs)
{
    Lot lot;
    lot.id = rs.toLong(QStringLiteral("ID"));
    for (int c = 0; c < ColumnCount; ++c) {
        if (isNumberColumn(c))
            lot.*numberField(c) = SafeLong(rs.value(FieldOf(c)));
    }
    lot.name = SafeText(rs.value(FieldOf(ColName)));
    lot.buyDate = SafeText(rs.value(FieldOf(ColBuyDate)));
    lot.sellDate = SafeText(rs.value(FieldOf(ColSellDate)));
    return lot;
}

void writeLot(db::Recordset &rs, const Lot &lot)
{
    for (int c = 0; c < ColumnCount; ++c) {
        if (isNumberColumn(c))
            rs.setValue(FieldOf(c), lot.*numberField(c));
    }
    rs.setValue(FieldOf(ColName), lot.name);
    rs.setValue(FieldOf(ColBuyDate), lot.buyDate);
    rs.setValue(FieldOf(ColSellDate), lot.sellDate);
}

db::Recordset openLot(db::Database &database, qint64 id)
{
    return database.openRecordset(QStringLiteral("select * from stockmarket where ID=? ;"), {id});
}

// The unsold part of a lot that sold fewer shares than were bought, as the grid's split makes it.
Lot remainderOf(const Lot &lot, qint64 shares)
{
    Lot rest;
    rest.code = lot.code;
    rest.market = lot.market;
    rest.name = lot.name;
    rest.buyDate = lot.buyDate;
    rest.buyPrice = lot.buyPrice;
    rest.buyShares = shares;
    rest.breakEven = lot.breakEven;
    return rest;
}

qint64 appendLot(db::Database &database, const Lot &lot)
{
    db::Recordset rs = database.openRecordset(QStringLiteral("stockmarket"), db::RecordsetType::Table);
    rs.addNew();
    writeLot(rs, lot);
    rs.update();
    return database.scalar(QStringLiteral("select max(ID) from stockmarket")).toLongLong();
}

// The lot valued at its issue's newest daily close × the issue's price unit (0 when the issue is
// not in Mei), with the issue's market code. False, and the lot unchanged, when the issue has no
// daily row.
bool valueAtNewestClose(db::Database &database, Lot &lot)
{
    const QVariant close = database.scalar(QStringLiteral("select top 1 終値 from daydata where コード=? order by 日付 desc ;"), {lot.code});
    if (!close.isValid())
        return false;
    db::Recordset mei = database.openRecordset(QStringLiteral("select 出来高単位, 株価単位 , 市場コード from Mei where コード=?;"), {lot.code});
    if (mei.eof()) {
        lot.current = 0;
        return true;
    }
    lot.market = mei.toLong(QStringLiteral("市場コード"));
    lot.current = qint64(SafeLong(close)) * SafeLong(mei.value(QStringLiteral("株価単位")));
    return true;
}

void lookUpIssue(db::Database &database, Lot &lot)
{
    db::Recordset mei = database.openRecordset(QStringLiteral("select * from Mei where コード=? ;"), {lot.code});
    if (mei.eof()) {
        lot.name.clear();
        return;
    }
    lot.market = mei.toLong(QStringLiteral("市場コード"));
    lot.name = SafeText(mei.value(QStringLiteral("銘柄")));
}

} // namespace

QString SourceOf(View view)
{
    switch (view) {
    case View::Unsold:
        return QStringLiteral("SELECT * FROM stockmarket where 売却数=0 ORDER BY コード,ID ;");
    case View::Sold:
        return QStringLiteral("SELECT * FROM stockmarket where 売却数>0 ORDER BY コード,ID ;");
    case View::All:
        break;
    }
    return QStringLiteral("SELECT * FROM stockmarket ORDER BY コード,ID ;");
}

QString FieldOf(int column)
{
    return column >= 0 && column < ColumnCount ? QString::fromUtf16(kFields[column]) : QString();
}

bool fitsColumn(qint64 value)
{
    return value >= std::numeric_limits<qint32>::min() && value <= std::numeric_limits<qint32>::max();
}

QString overflowText()
{
    return QStringLiteral("オーバーフローしました。");
}

qint64 BreakEven(qint64 price, Currency sonPa)
{
    // price × (1 + sonPa/100) in units of 1/1,000,000 yen, then + 0.5 yen and the fraction dropped.
    constexpr qint64 unit = 100 * Currency::Scale;
    const qint64 scaled = price * (unit + sonPa.raw());
    return (scaled + (scaled < 0 ? -unit / 2 : unit / 2)) / unit;
}

std::optional<qint32> Profit(qint64 price, qint64 breakEven, qint64 shares)
{
    const qint64 p = price * shares - breakEven * shares;
    if (!fitsColumn(p))
        return std::nullopt;
    return qint32(p);
}

std::array<QString, ColumnCount> Lot::texts() const
{
    std::array<QString, ColumnCount> t;
    for (int c = 0; c < ColumnCount; ++c) {
        if (isNumberColumn(c))
            t[size_t(c)] = QString::number(this->*numberField(c));
    }
    t[ColName] = name;
    t[ColBuyDate] = buyDate;
    t[ColSellDate] = sellDate;
    return t;
}

void RefreshLots(const Context &context)
{
    db::Database database(context.dbPath);
    const QStringList overflowed = RefreshLots(database);
    database.close();
    ReportOverflow(context.prompt, overflowed);
}

void ReportOverflow(Prompt &prompt, const QStringList &overflowed)
{
    if (!overflowed.isEmpty())
        prompt.inform(overflowText() + QStringLiteral("\n") + overflowed.join(QStringLiteral("\n")), QString(),
                      PromptIcon::Critical);
}

QStringList RefreshLots(db::Database &database)
{
    QStringList overflowed;
    std::vector<Lot> lots;
    {
        db::Recordset rs = database.openRecordset(QStringLiteral("stockmarket"), db::RecordsetType::Table);
        for (; !rs.eof(); rs.moveNext())
            lots.push_back(readLot(rs));
    }
    db::WriteBatch batch(database);
    for (Lot &lot : lots) {
        if (!valueAtNewestClose(database, lot))
            continue;
        lot.name = db::NameOfIssue(database, lot.code);
        if (lot.sellShares == 0) {
            const auto profit = Profit(lot.current, lot.breakEven, lot.buyShares);
            if (profit)
                lot.profit = *profit;
            else
                overflowed.append(QStringLiteral("コード=%1 (ID %2)").arg(lot.code).arg(lot.id));
        }
        db::Recordset rs = openLot(database, lot.id);
        rs.edit();
        writeLot(rs, lot);
        rs.update();
    }
    batch.finish();
    return overflowed;
}

std::vector<Lot> ReadLots(const QString &dbPath, View view)
{
    db::Database database(dbPath);
    std::vector<Lot> lots;
    db::Recordset rs = database.openRecordset(SourceOf(view));
    for (; !rs.eof(); rs.moveNext())
        lots.push_back(readLot(rs));
    return lots;
}

bool ChangeCell(const Context &context, qint64 id, int column, const QString &text)
{
    Prompt &prompt = context.prompt;
    try {
        db::Database database(context.dbPath);
        Lot lot;
        {
            db::Recordset rs = openLot(database, id);
            if (rs.eof()) {
                prompt.inform(QStringLiteral("編集する行が見つかりません。表示を更新して下さい。"));
                return false;
            }
            lot = readLot(rs);
        }
        const qint64 codeBefore = lot.code;
        // The typed text, then the cleaning every cell of the row gets.
        if (column == ColName)
            lot.name = text;
        else if (column == ColBuyDate)
            lot.buyDate = text;
        else if (column == ColSellDate)
            lot.sellDate = text;
        else if (column >= 0 && column < ColumnCount)
            lot.*numberField(column) = numberOrZero(text);
        if (column >= 0 && column < ColumnCount && isNumberColumn(column) && !fitsColumn(lot.*numberField(column))) {
            prompt.inform(overflowText(), QString(), PromptIcon::Critical);
            return false;
        }
        lot.buyDate = dateOr(lot.buyDate, DateUtil::formatYYMMDD(context.today), context.today);
        lot.sellDate = dateOr(lot.sellDate, kUnsoldDate, context.today);

        if (column == ColCode || column == ColMarket || lot.name.isEmpty())
            lookUpIssue(database, lot);

        // A typed code values the lot at once, as opening the window would: a new lot does not
        // show a price of 0 and the loss of its whole cost until then.
        bool revalued = false;
        if (column == ColCode) {
            // Without a daily row the price of another issue typed before is no price of this one.
            if (!valueAtNewestClose(database, lot) && lot.code != codeBefore)
                lot.current = 0;
            revalued = true;
        }
        if (column == ColBuyPrice || column == ColBuyShares || column == ColSellShares) {
            lot.breakEven = BreakEven(lot.buyPrice, context.sonPa);
            revalued = true;
        }
        if (revalued && lot.sellShares == 0) {
            const auto profit = Profit(lot.current, lot.breakEven, lot.buyShares);
            if (!profit) {
                prompt.inform(overflowText(), QString(), PromptIcon::Critical);
                return false;
            }
            lot.profit = *profit;
        }
        bool split = false;
        qint64 rest = 0;
        if (column == ColSellPrice || column == ColSellShares) {
            if (lot.sellShares > 0) {
                const auto profit = Profit(lot.sellPrice, lot.breakEven, lot.sellShares);
                if (!profit) {
                    prompt.inform(overflowText(), QString(), PromptIcon::Critical);
                    return false;
                }
                lot.profit = *profit;
            }
            if (lot.sellShares != 0 && lot.buyShares > lot.sellShares) {
                rest = lot.buyShares - lot.sellShares;
                split = prompt.askYesNo(
                    QStringLiteral("%1株 購入数が売却数より多いです %1株 の新規行を作成します　よろしいですか？").arg(rest),
                    kConfirm);
            }
        }
        db::WriteBatch batch(database);
        if (split)
            appendLot(database, remainderOf(lot, rest));
        if (split)
            lot.buyShares = lot.sellShares;
        db::Recordset rs = openLot(database, id);
        rs.edit();
        writeLot(rs, lot);
        rs.update();
        rs.close();
        batch.finish();
        database.close();
        return true;
    } catch (const db::DbError &e) {
        prompt.inform(e.description(), QString(), PromptIcon::Critical);
        return false;
    }
}

bool SellLot(db::Database &database, qint64 id, const QDate &date, qint64 price, qint64 shares, QString *error)
{
    Lot lot;
    {
        db::Recordset rs = openLot(database, id);
        if (rs.eof()) {
            *error = QStringLiteral("ID=%1 の行がありません。").arg(id);
            return false;
        }
        lot = readLot(rs);
    }
    if (lot.sellShares != 0) {
        *error = QStringLiteral("ID=%1 は売却済みです。").arg(id);
        return false;
    }
    if (shares <= 0 || shares > lot.buyShares) {
        *error = QStringLiteral("売却数は 1 から購入数 %1 までで入力して下さい。").arg(lot.buyShares);
        return false;
    }
    const auto profit = Profit(price, lot.breakEven, shares);
    if (!profit) {
        *error = overflowText();
        return false;
    }
    db::WriteBatch batch(database);
    if (shares < lot.buyShares)
        appendLot(database, remainderOf(lot, lot.buyShares - shares));
    lot.buyShares = shares;
    lot.sellShares = shares;
    lot.sellPrice = price;
    lot.sellDate = DateUtil::formatYYMMDD(date);
    lot.profit = *profit;
    db::Recordset rs = openLot(database, id);
    rs.edit();
    writeLot(rs, lot);
    rs.update();
    rs.close();
    batch.finish();
    return true;
}

bool SellLot(const Context &context, qint64 id, const QDate &date, qint64 price, qint64 shares, QString *error)
{
    db::Database database(context.dbPath);
    const bool sold = SellLot(database, id, date, price, shares, error);
    database.close();
    return sold;
}

qint64 AddLot(db::Database &database, Currency sonPa, qint64 code, const QDate &date, qint64 price, qint64 shares)
{
    Lot lot;
    lot.code = code;
    lookUpIssue(database, lot);
    lot.buyDate = DateUtil::formatYYMMDD(date);
    lot.buyPrice = price;
    lot.buyShares = shares;
    lot.breakEven = BreakEven(price, sonPa);
    return appendLot(database, lot);
}

qint64 AddLot(const Context &context, qint64 code, const QDate &date, qint64 price, qint64 shares)
{
    db::Database database(context.dbPath);
    const qint64 id = AddLot(database, context.sonPa, code, date, price, shares);
    database.close();
    return id;
}

QStringList CsvLines(const std::vector<Lot> &lots)
{
    QStringList header;
    for (int c = 0; c < ColumnCount; ++c)
        header.append(FieldOf(c));
    QStringList lines{header.join(QLatin1Char(','))};
    for (const Lot &lot : lots) {
        const auto t = lot.texts();
        lines.append(QStringList(t.begin(), t.end()).join(QLatin1Char(',')));
    }
    if (lots.empty())
        lines.append(QString());
    return lines;
}

QString StockCsvPath()
{
    return MainModule::dataFolder() + QStringLiteral("/stock.csv");
}

bool ExportLedger(const QString &dbPath, const QString &csvPath, QString *error)
{
    std::vector<Lot> lots;
    {
        db::Database database(dbPath);
        db::Recordset rs = database.openRecordset(QStringLiteral("select * from stockmarket order by コード, 市場コード ;"));
        for (; !rs.eof(); rs.moveNext())
            lots.push_back(readLot(rs));
    }
    return TextFile::writeLines(csvPath, CsvLines(lots), error);
}

Totals TotalsOf(const std::vector<Lot> &lots)
{
    Totals totals;
    for (const Lot &lot : lots)
        (lot.sellShares == 0 ? totals.unrealised : totals.realised) += lot.profit;
    return totals;
}

QString TotalsText(const Totals &totals)
{
    const QLocale japanese(QLocale::Japanese, QLocale::Japan);
    return QStringLiteral("含み損益 %1円　　実現損益 %2円")
        .arg(japanese.toString(totals.unrealised), japanese.toString(totals.realised));
}

QString CalculatorProgram()
{
#ifdef Q_OS_WIN
    return QStringLiteral("Calc.exe");
#else
    for (const char *name : {"gnome-calculator", "kcalc", "galculator", "mate-calc", "xcalc"}) {
        QString found = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!found.isEmpty())
            return found;
    }
    return QString();
#endif
}

} // namespace ledger
