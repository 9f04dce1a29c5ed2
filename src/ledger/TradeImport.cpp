#include "ledger/TradeImport.h"

#include "base/DateUtil.h"
#include "base/TextFile.h"
#include "db/Database.h"

#include <QFile>
#include <QStringDecoder>

#include <algorithm>
#include <vector>

namespace ledger {

namespace {

enum Field { FDate, FCode, FSide, FPrice, FShares, FieldCount };

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
    db::Recordset rs = database.openRecordset(
        QStringLiteral("select ID, 購入日 from stockmarket where コード=%1 and 売却数=0 ;").arg(code));
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
    return database.scalar(QStringLiteral("select 購入数 from stockmarket where ID=%1 ;").arg(id)).toLongLong();
}

} // namespace

QString ImportReport::summary() const
{
    QString text = QStringLiteral("取込終了しました。 購入 %1件　売却 %2件").arg(purchases).arg(sales);
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
    if (headerLine < lines.size()) {
        const QStringList header = splitCsv(lines.at(headerLine));
        for (int f = 0; f < FieldCount; ++f) {
            for (int i = 0; i < header.size(); ++i) {
                if (header.at(i) == QString::fromUtf16(kNames[f][0])
                    || header.at(i).compare(QString::fromUtf16(kNames[f][1]), Qt::CaseInsensitive) == 0)
                    at[f] = i;
            }
        }
    }
    if (std::find(std::begin(at), std::end(at), -1) != std::end(at)) {
        report.skipped.append(QStringLiteral("見出し行に 日付,コード,売買,単価,株数 がありません。"));
        return report;
    }
    report.readable = true;

    // One transaction for the whole file, closed once at its end.
    db::Database database(context.dbPath);
    db::WriteBatch batch(database);
    for (int i = headerLine + 1; i < lines.size(); ++i) {
        const QString &line = lines.at(i);
        if (line.trimmed().isEmpty())
            continue;
        const QString where = QStringLiteral("%1行目: %2").arg(i + 1).arg(line);
        const QStringList f = splitCsv(line);
        const int needed = *std::max_element(std::begin(at), std::end(at));
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
        if (buy) {
            AddLot(database, context.sonPa, code, date, price, shares);
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
            report.skipped.append(where + (open == 0 ? QStringLiteral(" (売却できる未売却の購入がありません)")
                                                     : QStringLiteral(" (未売却の株数 %1 より多い売却です)").arg(open)));
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
        if (remaining == 0)
            ++report.sales;
    }
    batch.finish();
    database.close();
    RefreshLots(context);
    return report;
}

} // namespace ledger
