#include "ledger/TradeImport.h"

#include "base/DateUtil.h"
#include "base/TextFile.h"
#include "db/Database.h"

#include <QCryptographicHash>
#include <QFile>
#include <QHash>
#include <QStringDecoder>

#include <algorithm>
#include <vector>

namespace ledger {

namespace {

enum Field
{
    FDate,
    FCode,
    FSide,
    FPrice,
    FShares,
    FieldCount
};

// Header names, Japanese and English, of each field.
const char16_t *const kNames[FieldCount][2] = {
    {u"日付", u"date"}, {u"コード", u"code"}, {u"売買", u"side"}, {u"単価", u"price"}, {u"株数", u"shares"}};

QString unquoted(QString text)
{
    text = text.trimmed();
    if (text.size() >= 2 && text.startsWith(QLatin1Char('"')) && text.endsWith(QLatin1Char('"')))
        text = text.mid(1, text.size() - 2).replace(QStringLiteral("\"\""), QStringLiteral("\""));
    return text.trimmed();
}

// A whole number, allowing the thousands separators spreadsheets write.
bool wholeNumber(const QString &text, qint64 *value)
{
    QString t = text;
    t.remove(QLatin1Char(','));
    bool ok = false;
    *value = t.toLongLong(&ok);
    return ok;
}

// Header names of the broker's own number of a trade (one per fill), compared without letter case,
// blanks, dots or underscores. An order number is not among them: an order may be filled in
// several rows and on several days, so it identifies a row only together with the rest of it.
const char16_t *const kTradeNumberNames[] = {u"約定番号", u"取引番号", u"約定no", u"tradeno", u"tradenumber",
                                             u"tradeid", u"executionid"};

QString comparableHeader(QString name)
{
    name = name.toLower();
    name.remove(QLatin1Char(' ')).remove(QChar(0x3000)).remove(QLatin1Char('.')).remove(QLatin1Char('_'));
    return name;
}

// Splits a CSV line; a comma inside double quotes belongs to the field.
QStringList splitCsv(const QString &line)
{
    QStringList fields;
    QString current;
    bool quoted = false;
    for (const QChar c : line) {
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        if (c == QLatin1Char(',') && !quoted) {
            fields.append(unquoted(current));
            current.clear();
        } else {
            current.append(c);
        }
    }
    fields.append(unquoted(current));
    return fields;
}

struct OpenLot
{
    QDate bought;
    qint64 id;
};

// The unsold lots of a code, oldest purchase first (the ID breaks ties and orders undated lots).
std::vector<OpenLot> openLotsOf(db::Database &database, qint64 code, const QDate &today)
{
    std::vector<OpenLot> lots;
    db::Recordset rs = database.openRecordset(QStringLiteral("select ID, 購入日 from stockmarket where コード=? and 売却数=0 ;"), {code});
    for (; !rs.eof(); rs.moveNext())
        lots.push_back({DateUtil::parseDate(rs.toText(QStringLiteral("購入日")), today), rs.toLong(QStringLiteral("ID"))});
    std::sort(lots.begin(), lots.end(), [](const OpenLot &a, const OpenLot &b) {
        if (a.bought != b.bought)
            return a.bought.isValid() && (!b.bought.isValid() || a.bought < b.bought);
        return a.id < b.id;
    });
    return lots;
}

qint64 sharesOf(db::Database &database, qint64 id)
{
    return database.scalar(QStringLiteral("select 購入数 from stockmarket where ID=? ;"), {id}).toLongLong();
}

const QChar kSeparator(0x1f);

// A row with what identifies it: the trade number with the date, code and side when the file has
// one (brokers may number the trades of each day afresh), else every column in a normal form (the
// five fields as the import reads them, the others unquoted and trimmed, empty ones left out), so
// that the same export saved again in another encoding or with other quotes and separators is the
// same row.
QString identityOf(const QStringList &fields, int tradeNumberAt, const int (&at)[FieldCount], const QDate &date, qint64 code,
                   bool buy, qint64 price, qint64 shares)
{
    const QString trade = QStringList{date.toString(Qt::ISODate), QString::number(code), buy ? QStringLiteral("買") : QStringLiteral("売")}
                              .join(kSeparator);
    if (tradeNumberAt >= 0 && tradeNumberAt < fields.size() && !fields.at(tradeNumberAt).isEmpty())
        return QStringLiteral("約定番号") + kSeparator + fields.at(tradeNumberAt) + kSeparator + trade;
    QStringList parts{QStringLiteral("行"), trade, QString::number(price), QString::number(shares)};
    for (int i = 0; i < fields.size(); ++i) {
        if (std::find(std::begin(at), std::end(at), i) == std::end(at) && !fields.at(i).isEmpty())
            parts.append(fields.at(i));
    }
    return parts.join(kSeparator);
}

// The stored key of a row: the digest of its identity and its occurrence among the file's rows of
// the same identity, so that two identical fills in one file are two rows, and the same two in a
// later export are recognised again.
QString keyOf(const QString &identity, int occurrence)
{
    const QByteArray text = (identity + kSeparator + QString::number(occurrence)).toUtf8();
    return QString::fromLatin1(QCryptographicHash::hash(text, QCryptographicHash::Sha256).toHex());
}

bool isImported(db::Database &database, const QString &key)
{
    return database.scalar(QStringLiteral("select Count(*) from stockmarketImported where 取引キー=? ;"), {key}).toLongLong() > 0;
}

void markImported(db::Database &database, const QString &key, const QDate &today)
{
    database.execute(QStringLiteral("insert into stockmarketImported (取引キー, 取込日) values (?, ?) ;"), {key, today});
}

} // namespace

QString ImportReport::summary() const
{
    QString text = QStringLiteral("取込終了しました。 購入 %1件　売却 %2件").arg(purchases).arg(sales);
    if (alreadyImported > 0)
        text += QStringLiteral("\n%1件は取込済みのため読み飛ばしました。").arg(alreadyImported);
    if (!skipped.isEmpty())
        text += QStringLiteral("\n取り込めなかった行:\n") + skipped.join(QLatin1Char('\n'));
    return text;
}

QString decodeUserText(const QByteArray &bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return TextFile::decode(bytes);
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(bytes);
    return utf8.hasError() ? TextFile::decode(bytes) : text;
}

namespace {

// Applies the rows after the header to the open database, inside the caller's transaction. Each
// row is whole or absent: a sale that cannot be finished takes back the lots it had sold.
void applyRows(db::Database &database, const Context &context, const QStringList &lines, int headerLine,
               const int (&at)[FieldCount], int tradeNumberAt, ImportReport &report)
{
    QHash<QString, int> seen; // identity -> rows of it so far in this file
    const int needed = *std::max_element(std::begin(at), std::end(at));
    for (int i = headerLine + 1; i < lines.size(); ++i) {
        const QString &line = lines.at(i);
        if (line.trimmed().isEmpty())
            continue;
        const QString where = QStringLiteral("%1行目: %2").arg(i + 1).arg(line);
        const QStringList f = splitCsv(line);
        if (f.size() <= needed) {
            report.skipped.append(where + QStringLiteral(" (項目が足りません)"));
            continue;
        }
        const QDate date = DateUtil::parseDate(f.at(at[FDate]), context.today);
        qint64 code = 0, price = 0, shares = 0;
        const QString &side = f.at(at[FSide]);
        const bool buy = side == QStringLiteral("買") || side.compare(QLatin1String("buy"), Qt::CaseInsensitive) == 0;
        const bool sell = side == QStringLiteral("売") || side.compare(QLatin1String("sell"), Qt::CaseInsensitive) == 0;
        if (!date.isValid() || !wholeNumber(f.at(at[FCode]), &code) || code <= 0 || code > 9999
            || !wholeNumber(f.at(at[FPrice]), &price) || price < 0 || !wholeNumber(f.at(at[FShares]), &shares)
            || shares <= 0 || !fitsColumn(price) || !fitsColumn(shares) || (!buy && !sell)) {
            report.skipped.append(where + QStringLiteral(" (日付・コード・売買・単価・株数を確認して下さい)"));
            continue;
        }
        const QString identity = identityOf(f, tradeNumberAt, at, date, code, buy, price, shares);
        const QString key = keyOf(identity, ++seen[identity]);
        if (isImported(database, key)) {
            ++report.alreadyImported;
            continue;
        }
        db::Transaction row(database);
        if (buy) {
            AddLot(database, context.sonPa, code, date, price, shares);
            markImported(database, key, context.today);
            row.commit();
            ++report.purchases;
            continue;
        }
        const std::vector<OpenLot> lots = openLotsOf(database, code, context.today);
        qint64 open = 0;
        std::vector<std::pair<qint64, qint64>> held; // lot ID, shares bought
        for (const OpenLot &lot : lots) {
            const qint64 n = sharesOf(database, lot.id);
            held.emplace_back(lot.id, n);
            open += n;
        }
        if (open < shares) {
            report.skipped.append(where + (open == 0 ? QStringLiteral(" (売却できる未売却の購入がありません)") : QStringLiteral(" (未売却の株数 %1 より多い売却です)").arg(open)));
            continue;
        }
        qint64 remaining = shares;
        QString error;
        for (const auto &[id, bought] : held) {
            if (remaining == 0)
                break;
            const qint64 take = std::min(remaining, bought);
            if (!SellLot(database, id, date, price, take, &error)) {
                report.skipped.append(where + QStringLiteral(" (%1)").arg(error));
                break;
            }
            remaining -= take;
        }
        if (remaining == 0) {
            markImported(database, key, context.today);
            row.commit();
            ++report.sales;
        }
    }
}

} // namespace

ImportReport ImportTrades(const Context &context, const QString &path)
{
    ImportReport report;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        report.skipped.append(QStringLiteral("%1 を読み込めません。").arg(path));
        return report;
    }
    const QStringList lines = TextFile::splitLines(decodeUserText(file.readAll()));
    file.close();

    int headerLine = 0;
    while (headerLine < lines.size() && lines.at(headerLine).trimmed().isEmpty())
        ++headerLine;
    int at[FieldCount];
    std::fill(std::begin(at), std::end(at), -1);
    int tradeNumberAt = -1;
    if (headerLine < lines.size()) {
        const QStringList header = splitCsv(lines.at(headerLine));
        for (int f = 0; f < FieldCount; ++f) {
            for (int i = 0; i < header.size(); ++i) {
                if (header.at(i) == QString::fromUtf16(kNames[f][0])
                    || header.at(i).compare(QString::fromUtf16(kNames[f][1]), Qt::CaseInsensitive) == 0)
                    at[f] = i;
            }
        }
        for (int i = 0; i < header.size() && tradeNumberAt < 0; ++i) {
            for (const char16_t *name : kTradeNumberNames) {
                if (comparableHeader(header.at(i)) == QString::fromUtf16(name))
                    tradeNumberAt = i;
            }
        }
    }
    if (std::find(std::begin(at), std::end(at), -1) != std::end(at)) {
        report.skipped.append(QStringLiteral("見出し行に 日付,コード,売買,単価,株数 がありません。"));
        return report;
    }
    report.readable = true;

    QStringList overflowed;
    try {
        db::Database database(context.dbPath);
        // The rows, the record of their import and the valuation are one unit: a run cut short or
        // refused leaves the ledger as it was, and the file can simply be imported again.
        db::Transaction whole(database);
        applyRows(database, context, lines, headerLine, at, tradeNumberAt, report);
        overflowed = RefreshLots(database);
        whole.commit();
        report.stored = true;
        database.close();
    } catch (const db::DbError &e) {
        if (!report.stored) {
            report.purchases = report.sales = report.alreadyImported = 0;
            report.skipped.clear();
            report.failure = QStringLiteral("取込を中止しました。取引履歴の行は1件も保存していません。\n") + e.description();
            return report;
        }
        report.failure =
            QStringLiteral("取り込んだ行は保存しましたが、データベースファイルへの書き戻しに失敗しました。\n") + e.description();
    }
    ReportOverflow(context.prompt, overflowed);
    return report;
}

} // namespace ledger
