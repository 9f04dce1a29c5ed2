#include "info/InfoBrowser.h"

#include "base/MainModule.h"
#include "db/Database.h"
#include "db/SqlTranslator.h"

#include <QSet>

namespace info {

namespace {

const QString kPlainColumns =
    QStringLiteral("SELECT A.順位, A.コード, B.市場コード, B.銘柄, A.種類コード, A.日付, A.株価, A.出来高, A.前日比, A.値 ");
const QString kPriceColumns = QStringLiteral(
    "SELECT A.順位, A.コード, B.市場コード, B.銘柄, A.種類コード, A.日付, A.株価, A.出来高, A.前日比, A.値, A.現株価, A.現比 ");
const QString kSource = QStringLiteral("FROM informationData as A LEFT JOIN Mei as B ON (A.コード = B.コード) ");
const QString kHead = QStringLiteral("Where A.種類コード = '");
const QString kRankOrder = QStringLiteral("ORDER BY A.順位;");
const QString kChangeOrder = QStringLiteral("ORDER BY A.現比 desc;");
const QString kRising = QStringLiteral(" and A.現比>0 ");

// The kind as it stands inside the quotes of the head.
QString quotedBody(const QString &kind)
{
    QString s = kind;
    return s.replace(QLatin1Char('\''), QStringLiteral("''"));
}

// The condition after the head that matches no row: no kind picked, or a kind without dates.
const QString kNothing = QStringLiteral("xx' ");

// The condition after the head: one date, a range, or nothing at all.
QString tail(const QString &kind, const QDate &first, const QDate &last)
{
    if (kind.isEmpty() || !first.isValid() || !last.isValid())
        return kNothing;
    if (first == last)
        return quotedBody(kind) + QStringLiteral("' And (A.日付) = ") + db::dateLiteral(first) + QLatin1Char(' ');
    return quotedBody(kind) + QStringLiteral("' And (A.日付) between ") + db::dateLiteral(first) + QStringLiteral(" and ")
        + db::dateLiteral(last) + QLatin1Char(' ');
}

QString volumeCondition(const QString &minVolume)
{
    const QString v = minVolume.trimmed();
    return IsNumberText(v) && v.toDouble() > 0 ? QStringLiteral(" and 出来高>=") + v : QString();
}

QString priceCondition(const QString &priceLimit)
{
    return QStringLiteral(" and A.株価<=") + priceLimit.trimmed();
}

QString kindCondition(const QString &kind)
{
    return QStringLiteral("種類コード=") + db::quoteText(kind);
}

} // namespace

bool IsNumberText(const QString &text)
{
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    return ok && std::isfinite(v);
}

QString KindsSource()
{
    return QStringLiteral("select * from informationClass order by 表示順");
}

QString DatesSource(const QString &kind)
{
    // One row per date, found through the primary key alone (each file has one comment): grouping
    // every row of a kind by date and comment would read ten years of rows.
    return QStringLiteral("SELECT 種類コード, 日付, コメント From informationData WHERE rowid IN (SELECT Min(rowid) "
                          "FROM informationData WHERE ")
        + kindCondition(kind) + QStringLiteral(" GROUP BY 日付) ORDER BY 日付 desc;");
}

QString RankingSource(const QString &kind, const QDate &first, const QDate &last)
{
    return kPlainColumns + kSource + kHead + tail(kind, first, last) + kRankOrder;
}

QString NarrowedSource(const QString &shown, const QString &kind, const QDate &pickedDate, const QString &priceLimit,
                       const QString &minVolume)
{
    const qsizetype between = shown.indexOf(QLatin1String("BETWEEN"), 0, Qt::CaseInsensitive);
    QString newTail = kNothing;
    if (!kind.isEmpty() && (between >= 0 || pickedDate.isValid())) {
        newTail = quotedBody(kind) + QStringLiteral("' And (A.日付) ");
        if (between >= 0) {
            // The range with its two dates: through the fourth "#" after BETWEEN.
            qsizetype end = between;
            for (int i = 0; i < 4 && end >= 0; ++i)
                end = shown.indexOf(QLatin1Char('#'), end + 1);
            newTail += shown.mid(between, end - between + 1);
        } else {
            newTail += QStringLiteral("= ") + db::dateLiteral(pickedDate);
        }
        newTail += priceCondition(priceLimit) + volumeCondition(minVolume);
        if (shown.contains(QStringLiteral("現株価")))
            newTail += kRising;
    }
    const qsizetype where = shown.indexOf(QLatin1String("WHERE"), 0, Qt::CaseInsensitive);
    const qsizetype order = shown.lastIndexOf(QLatin1String("ORDER BY"), -1, Qt::CaseInsensitive);
    return shown.left(where) + kHead + newTail + shown.mid(order - 1);
}

int UpdateCurrentPrices(const QString &databasePath, const QString &kind, const QDate &first, const QDate &last)
{
    // One statement: the newest close per issue through the primary key of dayData.
    const QString newestClose =
        QStringLiteral("(SELECT \"終値\" FROM \"dayData\" AS D WHERE D.\"コード\" = I.\"コード\" ORDER BY D.\"日付\" DESC LIMIT 1)");
    const QString sql =
        QStringLiteral("UPDATE \"informationData\" AS I SET \"現株価\" = coalesce(%1, 0), "
                       "\"現比\" = CASE WHEN I.\"株価\" > 0 THEN CAST((coalesce(%1, 0) - I.\"株価\") * 1000.0 / I.\"株価\" AS INTEGER) / 10.0 ELSE 0 END "
                       "WHERE I.\"種類コード\" = %2 AND I.\"日付\" BETWEEN '%3' AND '%4' "
                       "AND EXISTS (SELECT 1 FROM \"dayData\" AS E WHERE E.\"コード\" = I.\"コード\")")
            .arg(newestClose, db::quoteText(kind), first.toString(Qt::ISODate), last.toString(Qt::ISODate));
    db::Database database(databasePath);
    database.executeRaw(sql);
    return int(database.scalar(QStringLiteral("select changes()")).toLongLong());
}

QString CurrentPriceSource(const QString &kind, const QDate &first, const QDate &last, bool narrowed,
                           const QString &priceLimit, const QString &minVolume)
{
    QString t = tail(kind, first, last);
    if (narrowed && !kind.isEmpty())
        t = t.trimmed() + priceCondition(priceLimit) + volumeCondition(minVolume);
    return kPriceColumns + kSource + kHead + t + kRising + kChangeOrder;
}

QDate FirstOfLastDates(const QString &databasePath, const QString &kind, const QDate &picked, int count)
{
    db::Database database(databasePath);
    db::Recordset rs = database.openRecordset(
        QStringLiteral("SELECT Top %1 日付 From informationData WHERE 種類コード=? and 日付<=? GROUP BY 日付 ORDER BY 日付 desc;").arg(count),
        {kind, picked});
    QDate first = picked;
    for (int i = 0; i < count && !rs.eof(); ++i, rs.moveNext())
        first = rs.toDate(QStringLiteral("日付"));
    return first;
}

QStringList IssueListEntries(const QString &databasePath, const QString &source)
{
    const bool once = source.contains(QLatin1String("BETWEEN"), Qt::CaseInsensitive);
    QStringList entries;
    QSet<qint64> listed;
    db::Database database(databasePath);
    for (db::Recordset rs = database.openRecordset(source); !rs.eof(); rs.moveNext()) {
        const qint64 code = rs.toLong(QStringLiteral("コード"));
        if (once && listed.contains(code))
            continue;
        listed.insert(code);
        // The main window's entry form: code, market abbreviation and name, one blank apart.
        const qint64 market = rs.toLong(QStringLiteral("市場コード"));
        const QString abbrev = market > 0 && market < qint64(MainModule::MarketAbbrev.size()) ? MainModule::MarketAbbrev[size_t(market)]
                                                                                              : QString();
        entries.append(QString::number(code) + QLatin1Char(' ') + abbrev + QLatin1Char(' ') + rs.toText(QStringLiteral("銘柄")));
    }
    return entries;
}

void DeleteRankingDate(const QString &databasePath, const QString &kind, const QDate &date)
{
    db::Database database(databasePath);
    database.execute(QStringLiteral("delete * from informationData where 種類コード=? and 日付=? ;"), {kind, date});
}

void DeleteKind(const QString &databasePath, const QString &kind)
{
    db::Database database(databasePath);
    db::WriteBatch batch(database);
    database.execute(QStringLiteral("delete * from informationData where 種類コード=?;"), {kind});
    database.execute(QStringLiteral("delete * from informationClass where 種類コード=?;"), {kind});
    batch.finish();
}

QDate NewestRankingDate(const QString &databasePath, const QDate &today)
{
    db::Database database(databasePath);
    const QDate newest = database.scalar(QStringLiteral("SELECT Max(日付) AS MaxDate FROM informationData ;")).toDate();
    return newest.isValid() ? newest : today;
}

namespace {
// The values of the condition "Top種類コード=? and 日付<?" of the daily or weekly rankings kept too long.
db::Params oldCondition(const QDate &reference, int days, bool weekly)
{
    return weekly ? db::Params{QStringLiteral("w"), reference.addDays(-7 * qint64(days))} : db::Params{QStringLiteral("d"), reference.addDays(-days)};
}
} // namespace

bool HasOldRankings(const QString &databasePath, const QDate &reference, int days)
{
    db::Database database(databasePath);
    for (bool weekly : {false, true}) {
        if (database.scalar(QStringLiteral("select top 1 日付 from informationData where Top種類コード=? and 日付<?;"),
                            oldCondition(reference, days, weekly))
                .isValid())
            return true;
    }
    return false;
}

void DeleteOldRankings(const QString &databasePath, const QDate &reference, int days)
{
    db::Database database(databasePath);
    db::WriteBatch batch(database);
    for (bool weekly : {false, true})
        database.execute(QStringLiteral("delete * from informationData where Top種類コード=? and 日付<?;"), oldCondition(reference, days, weekly));
    batch.finish();
}

QString OldRankingsQuestion(int days)
{
    return QStringLiteral("オプション設定で設定した") + QString::number(days)
        + QStringLiteral("日以上の削除すべきデーターがあります　削除しますか？");
}

} // namespace info
