#include "publish/PublishWriter.h"

#include "base/Helpers.h"
#include "board/QuotePage.h"
#include "db/DbError.h"
#include "db/Recordset.h"
#include "import/ImportPaths.h"
#include "import/PriceFiles.h"
#include "info/InfoKinds.h"
#include "publish/PublishResume.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace publish {

QString inListMarks()
{
    QStringList marks;
    for (size_t i = 0; i < InListSize; ++i)
        marks.append(QStringLiteral("?"));
    return QLatin1Char('(') + marks.join(QLatin1Char(',')) + QLatin1Char(')');
}

bool Writer::makeFolderOf(const QString &path)
{
    const QString folder = QFileInfo(path).path();
    if (m_madeFolders.contains(folder))
        return true;
    if (!QDir().mkpath(folder)) {
        error = QStringLiteral("フォルダ %1 を作れません。").arg(QDir::toNativeSeparators(folder));
        return false;
    }
    m_madeFolders.insert(folder);
    return true;
}

bool Writer::mayWriteAnother()
{
    if (m_stopAfterFiles > 0 && m_filesWritten >= m_stopAfterFiles) {
        error = QStringLiteral("%1 ファイルで公開を中断しました。").arg(m_filesWritten);
        return false;
    }
    ++m_filesWritten;
    return true;
}

namespace {

// Whether a file holds exactly these bytes (a file that cannot be read does not).
bool holds(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.size() == bytes.size() && file.readAll() == bytes;
}

} // namespace

bool Writer::write(const QString &relative, const QByteArray &bytes)
{
    const QString path = m_root.filePath(relative);
    if (!makeFolderOf(path) || !mayWriteAnother())
        return false;
    // The kinds, and any file of a day written again, are mostly what the tree has already: a
    // file left as it is needs no sync.
    return holds(path, bytes) || TextFile::writeBytes(path, bytes, &error);
}

bool Writer::writeCheckedThrough(const QDate &day)
{
    return write(CheckedThroughFile, day.toString(QStringLiteral("yyyyMMdd")).toLatin1() + "\r\n");
}

void Writer::loadIssues()
{
    db::Recordset rs = m_database.openRecordset(
        QStringLiteral("select コード, 市場コード, 銘柄, 出来高単位, 株価単位 from Mei order by コード ;"), db::RecordsetType::ForwardOnly);
    for (; !rs.eof(); rs.moveNext()) {
        const qint64 code = rs.value(0).toLongLong();
        if (code <= 0 || code >= CodeLimit)
            continue;
        Issue &i = m_issues[size_t(code)];
        i.position = std::max(0, MarketIndexOfCode(rs.value(1).toInt()));
        i.name = rs.value(2).toString();
        i.volumeUnit = rs.value(3).toLongLong() > 0 ? rs.value(3).toLongLong() : 1000;
        i.priceUnit = rs.value(4).toLongLong() > 0 ? rs.value(4).toLongLong() : 1;
        i.registered = true;
    }
}

bool Writer::writeRegistration(const QDate &date)
{
    // "code,market,name,volume unit,price unit" + CR LF per issue after the header line.
    QString body;
    int count = 0;
    const QLatin1Char comma(',');
    db::Recordset rs = m_database.openRecordset(
        QStringLiteral("select コード, 市場コード, 銘柄, 出来高単位, 株価単位 from Mei order by コード ;"), db::RecordsetType::ForwardOnly);
    for (; !rs.eof(); rs.moveNext(), ++count) {
        body += QString::number(rs.value(0).toLongLong()) + comma + QString::number(rs.value(1).toInt()) + comma
            + rs.value(2).toString() + comma + QString::number(rs.value(3).toLongLong()) + comma
            + QString::number(rs.value(4).toLongLong()) + QLatin1String("\r\n");
    }
    const QString header = date.toString(QStringLiteral("yyyyMMdd")) + comma + QString::number(count) + QLatin1String("\r\n");
    return write(QStringLiteral("kabumei/Regist.mei"), TextFile::encode(header + body));
}

bool Writer::writeKinds()
{
    return write(QStringLiteral("kabumei/infodata"), InfoKinds::kindsFileBytes(InfoKinds::shipped(), InfoKinds::listDate()));
}

namespace {

// 始値, 高値, 安値, 終値, 前日比, 出来高 from the column `first` on.
PriceRow readPriceRow(const db::Recordset &rs, int code, int first)
{
    PriceRow r;
    r.code = code;
    r.open = qint32(rs.value(first).toLongLong());
    r.high = qint32(rs.value(first + 1).toLongLong());
    r.low = qint32(rs.value(first + 2).toLongLong());
    r.close = qint32(rs.value(first + 3).toLongLong());
    r.change = rs.value(first + 4).toLongLong();
    r.volume = Currency::fromVariant(rs.value(first + 5));
    return r;
}

// The date in a column, read as Recordset::toDate reads one by name.
QDate dateIn(const db::Recordset &rs, int column)
{
    const QVariant v = rs.value(column);
    if (v.typeId() == QMetaType::QDate)
        return v.toDate();
    if (v.typeId() == QMetaType::QDateTime)
        return v.toDateTime().date();
    return QDate::fromString(v.toString().left(10), Qt::ISODate);
}

// What a pass over a price table reads of each row: every price, or (for the histories of the rows
// before the range) the close and the volume alone.
enum class Columns
{
    All,
    CloseAndVolume
};

// Streams the rows of a price table in date order, a day at a time, each day's rows in code order;
// a month is read at once, so that a year does not sit in memory. The date index gives the days in
// order; a day's rows are put in code order here, which costs less than the engine's sort of every
// row read (a code has one row a day).
template <typename DayFunction>
void forEachDay(db::Database &database, const QString &table, const QDate &from, const QDate &to, Columns columns, DayFunction day)
{
    const QString query = columns == Columns::All
        ? QStringLiteral("select コード, 日付, 始値, 高値, 安値, 終値, 前日比, 出来高 from %1 where 日付 between ? and ? order by 日付 ;").arg(table)
        : QStringLiteral("select コード, 日付, 終値, 出来高 from %1 where 日付 between ? and ? order by 日付 ;").arg(table);
    std::vector<PriceRow> rows;
    const auto dayEnds = [&](const QDate &date) {
        std::sort(rows.begin(), rows.end(), [](const PriceRow &a, const PriceRow &b) { return a.code < b.code; });
        return day(date, rows);
    };
    for (QDate chunk = from; chunk <= to; chunk = chunk.addDays(31)) {
        const QDate chunkEnd = std::min(to, chunk.addDays(30));
        db::Recordset rs = database.openRecordset(query, {chunk, chunkEnd}, db::RecordsetType::ForwardOnly);
        QDate current;
        rows.clear();
        for (; !rs.eof(); rs.moveNext()) {
            const QDate date = dateIn(rs, 1);
            if (date != current) {
                if (current.isValid() && !dayEnds(current))
                    return;
                rows.clear();
                current = date;
            }
            const qint64 code = rs.value(0).toLongLong();
            if (code <= 0 || code >= CodeLimit)
                continue;
            if (columns == Columns::All) {
                rows.push_back(readPriceRow(rs, int(code), 2));
            } else {
                PriceRow &r = rows.emplace_back();
                r.code = int(code);
                r.close = qint32(rs.value(2).toLongLong());
                r.volume = Currency::fromVariant(rs.value(3));
            }
        }
        if (current.isValid() && !dayEnds(current))
            return;
    }
}

} // namespace

bool Writer::writeDays(const QDate &from, const QDate &to)
{
    // Enough earlier rows for the 25-day figures; the year's extremes before them per issue, when needed.
    const QDate windowStart = from.addDays(-60);
    m_readFrom = windowStart;
    forEachDay(m_database, QStringLiteral("daydata"), windowStart, from.addDays(-1), Columns::CloseAndVolume,
               [&](const QDate &date, const std::vector<PriceRow> &rows) {
                   remember(date, rows);
                   return true;
               });
    bool ok = true;
    const auto writeDay = [&](const QDate &date, const std::vector<PriceRow> &rows) {
        std::vector<importer::DailyFileRecord> records;
        records.reserve(rows.size());
        for (const PriceRow &r : rows) {
            const Issue &i = issue(r.code);
            records.push_back({r.code, i.position, i.registered ? i.name : QStringLiteral("銘柄") + QString::number(r.code), r.open,
                               r.high, r.low, r.close, r.volume});
        }
        QString all;
        for (const QString &l : importer::dailyFileLines(date, records))
            all += l + QStringLiteral("\r\n");
        if (!write(QStringLiteral("kabudata/") + importer::dailyFileName(date), TextFile::encode(all)) || !rankDay(date, rows)) {
            ok = false;
            return false;
        }
        ++result.dailyFiles;
        if (result.dailyFiles % 20 == 0 || date == to)
            say(QStringLiteral("%1 まで書き出しました").arg(date.toString(QStringLiteral("yyyy/MM/dd"))));
        remember(date, rows);
        return true;
    };
    // The last day's rows were read for the quote pages already.
    const bool lastDayRead = m_lastDay == to;
    forEachDay(m_database, QStringLiteral("daydata"), from, lastDayRead ? to.addDays(-1) : to, Columns::All, writeDay);
    if (ok && lastDayRead && !m_lastDayRows.empty())
        writeDay(to, m_lastDayRows);
    return ok;
}

bool Writer::writeWeeks(const QDate &from, const QDate &to)
{
    // A range without a weekly date (most daily runs) has no weekly rankings: the weeks before it
    // are not read.
    if (!m_database.scalar(QStringLiteral("select top 1 日付 from weekdata where 日付 between ? and ? ;"), {from, to}).isValid())
        return true;
    std::vector<std::optional<qint32>> previousClose(CodeLimit);
    bool ok = true;
    forEachDay(m_database, QStringLiteral("weekdata"), from.addDays(-21), to, Columns::All, [&](const QDate &date, const std::vector<PriceRow> &rows) {
        if (date >= from) {
            std::vector<Candidate> rising, falling, volume;
            for (const PriceRow &r : rows) {
                if (r.volume.raw() <= 0 || r.close <= 0)
                    continue;
                const Currency thousands = thousandShares(r.volume, issue(r.code).volumeUnit);
                volume.push_back({thousands.toDouble(), &r, thousands.toString()});
                const std::optional<qint32> before = previousClose[size_t(r.code)];
                if (before && *before > 0) {
                    const double rate = double(r.close - *before) / double(*before);
                    if (rate > 0)
                        rising.push_back({rate, &r, percent(rate)});
                    if (rate < 0)
                        falling.push_back({rate, &r, percent(rate)});
                }
            }
            for (auto [kind, list] : {std::pair{QStringLiteral("w01"), &rising}, std::pair{QStringLiteral("w02"), &falling},
                                      std::pair{QStringLiteral("w03"), &volume}}) {
                if (!writeRanking(kind, date, *list)) {
                    ok = false;
                    return false;
                }
            }
        }
        for (const PriceRow &r : rows) {
            if (r.volume.raw() > 0)
                previousClose[size_t(r.code)] = r.close;
        }
        return true;
    });
    return ok;
}

// The download asks for every kind on every weekday (weekly kinds on Fridays) and ends its pass at
// the first file that is missing: a weekday without trading gets rankings without rows.
bool Writer::writeClosedDays(const QDate &from, const QDate &to)
{
    std::vector<Candidate> none;
    for (QDate day = from; day <= to; day = day.addDays(1)) {
        if (day.dayOfWeek() > Qt::Friday)
            continue;
        const QString stamp = day.toString(QStringLiteral("yyyyMMdd"));
        const bool dailyMissing = !m_ranked.contains(stamp + QLatin1Char('d'));
        const bool weeklyMissing = day.dayOfWeek() == Qt::Friday && !m_ranked.contains(stamp + QLatin1Char('w'));
        for (const InfoKinds::Kind &kind : InfoKinds::shipped()) {
            const bool weekly = kind.code.startsWith(QLatin1Char('w'));
            if (!isRankedKind(kind.code) || !(weekly ? weeklyMissing : dailyMissing))
                continue;
            if (!writeRanking(kind.code, day, none))
                return false;
        }
    }
    return true;
}

bool Writer::writeMargins(const QDate &from, const QDate &to)
{
    db::Recordset rs = m_database.openRecordset(
        QStringLiteral("select コード, 日付, 売残, 買残, 単位 from ShinYo where 日付 between ? and ? order by 日付, コード ;"), {from, to},
        db::RecordsetType::ForwardOnly);
    std::vector<importer::MarginFileRecord> records;
    QDate current;
    const auto flush = [&]() {
        if (!current.isValid())
            return true;
        QString all;
        for (const QString &l : importer::marginFileLines(current, records))
            all += l + QStringLiteral("\r\n");
        ++result.marginFiles;
        return write(QStringLiteral("kabudata/") + importer::marginFileName(current), TextFile::encode(all));
    };
    for (; !rs.eof(); rs.moveNext()) {
        const QDate date = rs.toDate(QStringLiteral("日付"));
        if (date != current) {
            if (!flush())
                return false;
            records.clear();
            current = date;
        }
        records.push_back({int(rs.value(0).toLongLong()), qint32(rs.value(2).toLongLong()), qint32(rs.value(3).toLongLong()),
                           qint32(rs.value(4).toLongLong())});
    }
    return flush();
}

std::optional<DatedRow> Writer::newestRow(int code, const QDate &to)
{
    // One seek of the primary key, where a grouped query over the table would read every row of every year.
    db::Recordset rs = m_database.openRecordset(
        QStringLiteral("select Top 1 日付, 始値, 高値, 安値, 終値, 前日比, 出来高 from daydata where コード=? and 日付 <= ? "
                       "order by 日付 Desc ;"),
        {code, to}, db::RecordsetType::ForwardOnly);
    if (rs.eof())
        return std::nullopt;
    return DatedRow{rs.toDate(QStringLiteral("日付")), readPriceRow(rs, code, 1)};
}

void Writer::startQuotePages(const QDate &to)
{
    // The page shows the time's fields alone: a fixed zone spares looking up the local one for
    // every page.
    const auto closingTime = [](const QDate &date) { return QDateTime(date, QTime(15, 0), Qt::UTC); };
    const auto clamped = [](double value) {
        return qint32(std::clamp(Rounding::nearest(value), double(std::numeric_limits<qint32>::min()),
                                 double(std::numeric_limits<qint32>::max())));
    };
    // The rows of the day itself in one read, kept for the day's files; an issue without one there
    // looks up its newest row.
    forEachDay(m_database, QStringLiteral("daydata"), to, to, Columns::All, [&](const QDate &, const std::vector<PriceRow> &rows) {
        m_lastDayRows = rows;
        return true;
    });
    m_lastDay = to;
    std::vector<std::optional<DatedRow>> ofTheDay(CodeLimit);
    for (const PriceRow &r : m_lastDayRows)
        ofTheDay[size_t(r.code)] = DatedRow{to, r};
    std::vector<QuotePage::Quote> quotes;
    for (int code = 1; code < CodeLimit; ++code) {
        const Issue &i = issue(code);
        if (!i.registered)
            continue;
        QuotePage::Quote &q = quotes.emplace_back();
        const std::optional<DatedRow> newest = ofTheDay[size_t(code)] ? ofTheDay[size_t(code)] : newestRow(code, to);
        if (newest) {
            // In yen and shares, as the board's last-day columns hold them.
            const double priceUnit = double(i.priceUnit);
            const PriceRow &r = newest->row;
            q.time = closingTime(newest->date);
            q.open = clamped(r.open * priceUnit);
            q.high = clamped(r.high * priceUnit);
            q.low = clamped(r.low * priceUnit);
            q.price = clamped(r.close * priceUnit);
            q.change = clamped(double(r.change) * priceUnit);
            q.volume = clamped(r.volume.toDouble() * double(i.volumeUnit));
        } else {
            q.time = closingTime(to);
        }
        q.code = code;
        q.name = i.name;
    }
    m_quotePagesToWrite = int(quotes.size());
    if (quotes.empty())
        return;
    // The pages' previous copies, whose files the next run writes into.
    const QString pages = m_root.filePath(QStringLiteral("q")) + QLatin1Char('/');
    const QString spares = m_root.filePath(QStringLiteral(".previous/q")) + QLatin1Char('/');
    if (!makeFolderOf(pages + QLatin1Char('x')) || !makeFolderOf(spares + QLatin1Char('x'))) {
        m_quotePagesError = error;
        return;
    }
    m_quotePagesThread = std::async(std::launch::async, [this, quotes = std::move(quotes), pages, spares] {
        for (const QuotePage::Quote &q : quotes) {
            const QString name = QString::number(q.code) + QStringLiteral(".html");
            if (!m_quotePages.write(pages + name, spares + name, QuotePage::render(q), &m_quotePagesError))
                return false;
            ++m_quotePagesWritten;
        }
        return m_quotePages.sync(&m_quotePagesError);
    });
}

bool Writer::finishQuotePages(bool swap)
{
    const bool started = m_quotePagesThread.valid();
    const bool written = started && m_quotePagesThread.get();
    if (!swap)
        return false;
    if (m_quotePagesToWrite > 0 && !started) {
        error = m_quotePagesError; // their folders could not be made
        return false;
    }
    // The pages take their places in the run's order of files: a run stopped among them, or by one
    // that could not be written, leaves the previous pages as they were.
    for (int page = 0; page < m_quotePagesToWrite; ++page) {
        if (!mayWriteAnother())
            return false;
        if (page == m_quotePagesWritten) {
            error = m_quotePagesError;
            return false;
        }
        ++result.quotePages;
    }
    if (started && !written) {
        error = m_quotePagesError; // the sync failed
        return false;
    }
    return m_quotePages.swapIn(&error);
}

} // namespace publish
