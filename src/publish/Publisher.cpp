#include "publish/Publisher.h"

#include "base/Helpers.h"
#include "board/QuotePage.h"
#include "base/TextFile.h"
#include "db/Database.h"
#include "db/DbError.h"
#include "db/Recordset.h"
#include "import/ImportCommon.h"
#include "import/PriceFiles.h"
#include "info/InfoKinds.h"

#include <QDir>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <array>
#include <cmath>
#include <deque>
#include <limits>
#include <optional>

namespace publish {

namespace {

constexpr int CodeLimit = 10000;
constexpr int AverageDays = 25;
// The four characters between the record count and the comment, which readers skip.
const QString HeaderFiller = QStringLiteral("0000");

// The last day up to which every day of the tree is known to be whole: found so by reading its
// files, or written by runs of this publisher that went through. Its files are then only looked for:
// they were written whole. A tree of an older version, which could cut files short, has none and is
// read through once.
const QString CheckedThroughFile = QStringLiteral(".previous/checked-through");

// Values are looked up InListSize at a time: "in (?, ?, …)" with that many marks, a shorter last
// chunk filled up with its first value, so that every chunk runs one prepared query.
constexpr size_t InListSize = 256;

QString inListMarks()
{
    QStringList marks;
    for (size_t i = 0; i < InListSize; ++i)
        marks.append(QStringLiteral("?"));
    return QLatin1Char('(') + marks.join(QLatin1Char(',')) + QLatin1Char(')');
}

template <typename T>
db::Params inListValues(const std::vector<T> &values, size_t first)
{
    db::Params params;
    params.reserve(InListSize);
    for (size_t i = 0; i < InListSize; ++i)
        params.emplace_back(first + i < values.size() ? values[first + i] : values[first]);
    return params;
}

struct Issue
{
    QString name;
    int position = 0;
    qint64 volumeUnit = 1000;
    qint64 priceUnit = 1;
    bool registered = false;
};

struct PriceRow
{
    int code = 0;
    qint32 open = 0, high = 0, low = 0, close = 0;
    qint64 change = 0;
    Currency volume;
};

// What the rankings remember of an issue from the rows before the day being ranked.
struct History
{
    std::optional<qint32> previousClose; // the last traded close
    std::deque<qint64> volumes;          // raw volumes of the last rows, newest last
    std::deque<qint32> closes;           // closes of the last traded rows, newest last
    int year = 0;
    std::optional<qint32> yearHigh, yearLow; // of the rows read so far in that year
    // The year's extremes before the rows read (looked up only when a close reaches past the
    // extremes read, which few do on a day).
    bool earlierLoaded = false;
    std::optional<qint32> earlierHigh, earlierLow;
};

struct DatedRow
{
    QDate date;
    PriceRow row;
};

// A candidate of a ranking: the figure as an exact fraction where it can be, so that equal figures
// tie and fall back to the code.
struct Candidate
{
    double figure = 0;
    const PriceRow *row = nullptr;
    QString value;
};

QString percent(double fraction)
{
    return QString::number(Rounding::nearest(fraction * 1000.0) / 10.0, 'f', 1);
}

Currency thousandShares(const Currency &volume, qint64 volumeUnit)
{
    // volume × unit ÷ 1000, exact to 1/10000 for the units in use (100, 1000, ...).
    return Currency::fromDouble(volume.toDouble() * double(volumeUnit) / 1000.0);
}

struct KindRule
{
    const char *code;
    const char16_t *comment;
    bool highestFirst;
};

// What each kind ranks, in the words of its comment. The universe is every issue with a traded
// row on the day (the week) that has the rows the figure needs.
const KindRule Rules[] = {
    {"d01", u"前日比上昇率(%)の高い順　対象:当日売買のあった全銘柄", true},
    {"d02", u"前日比下落率(%)の高い順　対象:当日売買のあった全銘柄", false},
    {"d03", u"出来高(千株)の多い順　対象:当日売買のあった全銘柄", true},
    {"d04", u"出来高÷過去25日平均出来高(倍)の高い順　対象:25日以上の記録がある全銘柄", true},
    {"d05", u"売買代金(千円)の多い順　対象:当日売買のあった全銘柄", true},
    {"d06", u"25日移動平均からの上方乖離率(%)　対象:25日以上売買のあった全銘柄", true},
    {"d07", u"25日移動平均からの下方乖離率(%)　対象:25日以上売買のあった全銘柄", false},
    {"d08", u"年初来高値を更新した銘柄　前高値からの上昇率(%)順　対象:全銘柄", true},
    {"d09", u"年初来安値を更新した銘柄　前安値からの下落率(%)順　対象:全銘柄", false},
    {"w01", u"前週比上昇率(%)の高い順　対象:当週売買のあった全銘柄", true},
    {"w02", u"前週比下落率(%)の高い順　対象:当週売買のあった全銘柄", false},
    {"w03", u"週間出来高(千株)の多い順　対象:当週売買のあった全銘柄", true},
};

const KindRule *ruleOf(const QString &code)
{
    for (const KindRule &r : Rules) {
        if (code == QLatin1String(r.code))
            return &r;
    }
    return nullptr;
}

class Writer final
{
public:
    Writer(db::Database &database, const QString &outputFolder, int stopAfterFiles, const std::function<void(const QString &)> &log)
        : m_database(database), m_root(outputFolder), m_stopAfterFiles(stopAfterFiles), m_log(log)
    {
        m_issues.resize(CodeLimit);
        m_history.resize(CodeLimit);
        m_newestRead.resize(CodeLimit);
    }

    void loadIssues();
    bool writeRegistration(const QDate &date);
    bool writeKinds();
    bool writeDays(const QDate &from, const QDate &to);
    bool writeWeeks(const QDate &from, const QDate &to);
    bool writeMargins(const QDate &from, const QDate &to);
    bool writeClosedDays(const QDate &from, const QDate &to);
    bool writeQuotePages(const QDate &to);
    bool writeCheckedThrough(const QDate &day);

    PublishResult result;
    QString error;

private:
    const Issue &issue(int code) const { return m_issues[size_t(code)]; }
    bool makeFolderOf(const QString &path);
    // False when the run is to stop as if interrupted here (stopAfterFiles).
    bool mayWriteAnother();
    bool write(const QString &relative, const QByteArray &bytes);
    // Thousands of pages rewritten on every run: written into their previous copies, then swapped
    // in together after one sync.
    bool writeQuotePage(int code, const QByteArray &bytes);
    QSet<QString> m_madeFolders;
    TextFile::SwapBatch m_quotePages;
    bool writeRanking(const QString &kind, const QDate &date, std::vector<Candidate> &candidates);
    // The year's highest and lowest traded close before the first row read.
    void loadEarlierExtremes(const QDate &date, const std::vector<PriceRow> &rows);
    QDate m_readFrom;
    QSet<QString> m_ranked; // "yyyyMMdd" + kind letter of the rankings this run wrote
    void remember(const QDate &date, const std::vector<PriceRow> &rows);
    bool rankDay(const QDate &date, const std::vector<PriceRow> &rows);
    void say(const QString &text) { if (m_log) m_log(text); }

    db::Database &m_database;
    QDir m_root;
    int m_stopAfterFiles = 0;
    int m_filesWritten = 0;
    std::function<void(const QString &)> m_log;
    std::vector<Issue> m_issues;
    std::vector<History> m_history;
    // Each issue's newest row that writeDays read, and the day it read up to: the quote pages take
    // their rows from here and look up only the issues without a row in that range.
    std::vector<std::optional<DatedRow>> m_newestRead;
    QDate m_readThrough;
    std::optional<DatedRow> newestRow(int code, const QDate &to);
};

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

bool Writer::write(const QString &relative, const QByteArray &bytes)
{
    const QString path = m_root.filePath(relative);
    return makeFolderOf(path) && mayWriteAnother() && TextFile::writeBytes(path, bytes, &error);
}

bool Writer::writeQuotePage(int code, const QByteArray &bytes)
{
    const QString page = QStringLiteral("q/%1.html").arg(code);
    const QString path = m_root.filePath(page);
    // The page's previous copy, whose file the next run writes into.
    const QString spare = m_root.filePath(QStringLiteral(".previous/") + page);
    return makeFolderOf(path) && makeFolderOf(spare) && mayWriteAnother() && m_quotePages.write(path, spare, bytes, &error);
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
    QStringList lines;
    db::Recordset rs = m_database.openRecordset(
        QStringLiteral("select コード, 市場コード, 銘柄, 出来高単位, 株価単位 from Mei order by コード ;"), db::RecordsetType::ForwardOnly);
    for (; !rs.eof(); rs.moveNext()) {
        lines.append(QStringLiteral("%1,%2,%3,%4,%5")
                         .arg(rs.value(0).toLongLong())
                         .arg(rs.value(1).toInt())
                         .arg(rs.value(2).toString())
                         .arg(rs.value(3).toLongLong())
                         .arg(rs.value(4).toLongLong()));
    }
    lines.prepend(date.toString(QStringLiteral("yyyyMMdd")) + QLatin1Char(',') + QString::number(lines.size()));
    QString all;
    for (const QString &l : lines)
        all += l + QStringLiteral("\r\n");
    return write(QStringLiteral("kabumei/Regist.mei"), TextFile::encode(all));
}

bool Writer::writeKinds()
{
    return write(QStringLiteral("kabumei/infodata"), InfoKinds::kindsFileBytes(InfoKinds::shipped(), InfoKinds::listDate()));
}

void Writer::loadEarlierExtremes(const QDate &date, const std::vector<PriceRow> &rows)
{
    const QDate yearStart(m_readFrom.year(), 1, 1);
    if (date.year() != m_readFrom.year())
        return;
    std::vector<qint64> codes;
    for (const PriceRow &r : rows) {
        History &h = m_history[size_t(r.code)];
        const bool readThisYear = h.year == date.year() && h.yearHigh && h.yearLow;
        if (h.earlierLoaded || r.volume.raw() <= 0 || (readThisYear && r.close <= *h.yearHigh && r.close >= *h.yearLow))
            continue;
        h.earlierLoaded = true;
        codes.push_back(r.code);
    }
    if (codes.empty() || m_readFrom <= yearStart)
        return;
    static const QString extremes =
        QStringLiteral("select コード, Max(終値) as H, Min(終値) as L from daydata where コード in %1 and 日付 between ? and ? and 出来高 > 0 group by コード ;")
            .arg(inListMarks());
    for (size_t first = 0; first < codes.size(); first += InListSize) {
        db::Params params = inListValues(codes, first);
        params.insert(params.end(), {yearStart, m_readFrom.addDays(-1)});
        db::Recordset rs = m_database.openRecordset(extremes, params, db::RecordsetType::ForwardOnly);
        for (; !rs.eof(); rs.moveNext()) {
            History &h = m_history[size_t(rs.value(0).toLongLong())];
            h.earlierHigh = qint32(rs.value(1).toLongLong());
            h.earlierLow = qint32(rs.value(2).toLongLong());
        }
    }
}

void Writer::remember(const QDate &date, const std::vector<PriceRow> &rows)
{
    for (const PriceRow &r : rows) {
        History &h = m_history[size_t(r.code)];
        h.volumes.push_back(r.volume.raw());
        if (h.volumes.size() > AverageDays)
            h.volumes.pop_front();
        if (r.volume.isZero())
            continue;
        h.previousClose = r.close;
        h.closes.push_back(r.close);
        if (h.closes.size() > AverageDays)
            h.closes.pop_front();
        if (h.year != date.year()) {
            h.year = date.year();
            h.yearHigh = r.close;
            h.yearLow = r.close;
        } else {
            h.yearHigh = std::max(h.yearHigh.value_or(r.close), r.close);
            h.yearLow = std::min(h.yearLow.value_or(r.close), r.close);
        }
    }
}

bool Writer::writeRanking(const QString &kind, const QDate &date, std::vector<Candidate> &candidates)
{
    const KindRule *rule = ruleOf(kind);
    const bool highestFirst = rule->highestFirst;
    const auto better = [highestFirst](const Candidate &a, const Candidate &b) {
        if (a.figure != b.figure)
            return highestFirst ? a.figure > b.figure : a.figure < b.figure;
        return a.row->code < b.row->code;
    };
    const size_t kept = std::min(candidates.size(), size_t(RankingSize));
    std::partial_sort(candidates.begin(), candidates.begin() + qsizetype(kept), candidates.end(), better);
    Ranking ranking;
    ranking.kind = kind;
    ranking.date = date;
    ranking.comment = QString::fromUtf16(rule->comment);
    for (size_t i = 0; i < kept; ++i) {
        const Candidate &c = candidates[i];
        ranking.rows.push_back({c.row->code, c.row->close, thousandShares(c.row->volume, issue(c.row->code).volumeUnit),
                                c.row->change, c.value});
    }
    ++result.rankingFiles;
    m_ranked.insert(date.toString(QStringLiteral("yyyyMMdd")) + kind.left(1));
    return write(QStringLiteral("jyhodata/") + date.toString(QStringLiteral("yyyyMMdd")) + QLatin1Char('.') + kind,
                 rankingFileBytes(ranking));
}

bool Writer::rankDay(const QDate &date, const std::vector<PriceRow> &rows)
{
    std::array<std::vector<Candidate>, 9> lists; // d01 .. d09
    loadEarlierExtremes(date, rows);
    for (const PriceRow &r : rows) {
        if (r.volume.raw() <= 0 || r.close <= 0)
            continue;
        const History &h = m_history[size_t(r.code)];
        const Currency thousands = thousandShares(r.volume, issue(r.code).volumeUnit);
        if (h.previousClose && *h.previousClose > 0) {
            const double rate = double(r.close - *h.previousClose) / double(*h.previousClose);
            if (rate > 0)
                lists[0].push_back({rate, &r, percent(rate)});
            if (rate < 0)
                lists[1].push_back({rate, &r, percent(rate)});
        }
        lists[2].push_back({thousands.toDouble(), &r, thousands.toString()});
        if (h.volumes.size() == AverageDays) {
            qint64 sum = 0;
            for (qint64 v : h.volumes)
                sum += v;
            if (sum > 0) {
                const double ratio = double(r.volume.raw()) * AverageDays / double(sum);
                lists[3].push_back({ratio, &r, QString::number(Rounding::nearest(ratio * 100.0) / 100.0, 'f', 2)});
            }
        }
        const double amount = double(r.close) * thousands.toDouble(); // thousands of yen
        lists[4].push_back({amount, &r, QString::number(Rounding::nearest(amount), 'f', 0)});
        if (h.closes.size() >= AverageDays - 1) {
            qint64 sum = r.close;
            for (size_t i = h.closes.size() - (AverageDays - 1); i < h.closes.size(); ++i)
                sum += h.closes[i];
            const double deviation = double(qint64(r.close) * AverageDays - sum) / double(sum);
            if (deviation > 0)
                lists[5].push_back({deviation, &r, percent(deviation)});
            if (deviation < 0)
                lists[6].push_back({deviation, &r, percent(deviation)});
        }
        // New highs and lows of the year: against the rows read this year and, in the year the
        // reading began, the rows before it.
        const std::optional<qint32> readHigh = h.year == date.year() ? h.yearHigh : std::nullopt;
        const std::optional<qint32> readLow = h.year == date.year() ? h.yearLow : std::nullopt;
        const bool earlierCounts = date.year() == m_readFrom.year();
        std::optional<qint32> high = readHigh, low = readLow;
        if (earlierCounts && h.earlierHigh) {
            high = std::max(high.value_or(*h.earlierHigh), *h.earlierHigh);
            low = std::min(low.value_or(*h.earlierLow), *h.earlierLow);
        }
        if (high && *high > 0 && r.close > *high) {
            const double rise = double(r.close - *high) / double(*high);
            lists[7].push_back({rise, &r, percent(rise)});
        }
        if (low && *low > 0 && r.close < *low) {
            const double fall = double(r.close - *low) / double(*low);
            lists[8].push_back({fall, &r, percent(fall)});
        }
    }
    for (const InfoKinds::Kind &kind : InfoKinds::shipped()) {
        if (!kind.code.startsWith(QLatin1Char('d')) || !ruleOf(kind.code))
            continue;
        const int index = kind.code.mid(1).toInt() - 1;
        if (index < 0 || index >= int(lists.size()))
            continue;
        if (!writeRanking(kind.code, date, lists[size_t(index)]))
            return false;
    }
    return true;
}

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

// Streams the rows of a price table in date order, a day at a time; a month is read at once, so
// that a year does not sit in memory.
template <typename DayFunction>
void forEachDay(db::Database &database, const QString &table, const QDate &from, const QDate &to, DayFunction day)
{
    std::vector<PriceRow> rows;
    for (QDate chunk = from; chunk <= to; chunk = chunk.addDays(31)) {
        const QDate chunkEnd = std::min(to, chunk.addDays(30));
        db::Recordset rs = database.openRecordset(
            QStringLiteral("select コード, 日付, 始値, 高値, 安値, 終値, 前日比, 出来高 from %1 where 日付 between ? and ? order by 日付, コード ;").arg(table),
            {chunk, chunkEnd}, db::RecordsetType::ForwardOnly);
        QDate current;
        rows.clear();
        for (; !rs.eof(); rs.moveNext()) {
            const QDate date = rs.toDate(QStringLiteral("日付"));
            if (date != current) {
                if (current.isValid() && !day(current, rows))
                    return;
                rows.clear();
                current = date;
            }
            const qint64 code = rs.value(0).toLongLong();
            if (code <= 0 || code >= CodeLimit)
                continue;
            rows.push_back(readPriceRow(rs, int(code), 2));
        }
        if (current.isValid() && !day(current, rows))
            return;
    }
}

bool Writer::writeDays(const QDate &from, const QDate &to)
{
    // Enough earlier rows for the 25-day figures; the year's extremes before them per issue, when needed.
    const QDate windowStart = from.addDays(-60);
    m_readFrom = windowStart;
    bool ok = true;
    forEachDay(m_database, QStringLiteral("daydata"), windowStart, to, [&](const QDate &date, const std::vector<PriceRow> &rows) {
        if (date >= from) {
            std::vector<importer::DailyFileRecord> records;
            records.reserve(rows.size());
            for (const PriceRow &r : rows) {
                const Issue &i = issue(r.code);
                records.push_back({r.code, i.position, i.registered ? i.name : QStringLiteral("銘柄") + QString::number(r.code),
                                   r.open, r.high, r.low, r.close, r.volume});
            }
            QString all;
            for (const QString &l : importer::dailyFileLines(date, records))
                all += l + QStringLiteral("\r\n");
            if (!write(QStringLiteral("kabudata/") + importer::dailyFileName(date), TextFile::encode(all))
                || !rankDay(date, rows)) {
                ok = false;
                return false;
            }
            ++result.dailyFiles;
            if (result.dailyFiles % 20 == 0 || date == to)
                say(QStringLiteral("%1 まで書き出しました").arg(date.toString(QStringLiteral("yyyy/MM/dd"))));
        }
        remember(date, rows);
        for (const PriceRow &r : rows)
            m_newestRead[size_t(r.code)] = DatedRow{date, r};
        return true;
    });
    if (ok)
        m_readThrough = to;
    return ok;
}

bool Writer::writeWeeks(const QDate &from, const QDate &to)
{
    std::vector<std::optional<qint32>> previousClose(CodeLimit);
    bool ok = true;
    forEachDay(m_database, QStringLiteral("weekdata"), from.addDays(-21), to, [&](const QDate &date, const std::vector<PriceRow> &rows) {
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
            if (!ruleOf(kind.code) || !(weekly ? weeklyMissing : dailyMissing))
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
    if (m_readThrough == to && m_newestRead[size_t(code)])
        return m_newestRead[size_t(code)];
    // One seek of the primary key, where a grouped query over the table would read every row of every year.
    db::Recordset rs = m_database.openRecordset(
        QStringLiteral("select Top 1 日付, 始値, 高値, 安値, 終値, 前日比, 出来高 from daydata where コード=? and 日付 <= ? "
                       "order by 日付 Desc ;"),
        {code, to}, db::RecordsetType::ForwardOnly);
    if (rs.eof())
        return std::nullopt;
    return DatedRow{rs.toDate(QStringLiteral("日付")), readPriceRow(rs, code, 1)};
}

bool Writer::writeQuotePages(const QDate &to)
{
    const auto clamped = [](double value) {
        return qint32(std::clamp(Rounding::nearest(value), double(std::numeric_limits<qint32>::min()),
                                 double(std::numeric_limits<qint32>::max())));
    };
    for (int code = 1; code < CodeLimit; ++code) {
        const Issue &i = issue(code);
        if (!i.registered)
            continue;
        QuotePage::Quote q;
        if (const std::optional<DatedRow> newest = newestRow(code, to)) {
            // In yen and shares, as the board's last-day columns hold them.
            const double priceUnit = double(i.priceUnit);
            const PriceRow &r = newest->row;
            q.time = QDateTime(newest->date, QTime(15, 0));
            q.open = clamped(r.open * priceUnit);
            q.high = clamped(r.high * priceUnit);
            q.low = clamped(r.low * priceUnit);
            q.price = clamped(r.close * priceUnit);
            q.change = clamped(double(r.change) * priceUnit);
            q.volume = clamped(r.volume.toDouble() * double(i.volumeUnit));
        } else {
            q.time = QDateTime(to, QTime(15, 0));
        }
        q.code = code;
        q.name = i.name;
        if (!writeQuotePage(code, QuotePage::render(q)))
            return false;
        ++result.quotePages;
    }
    return m_quotePages.swapIn(&error);
}

// The date a published file's name carries: DsYYYYMM.DD and YsYYYYMM.DD, YYYYMMDD.<kind>.
QDate dateOfName(const QString &name)
{
    static const QRegularExpression priceFile(QStringLiteral("^[DY]s(\\d{6})\\.(\\d{2})$"));
    static const QRegularExpression ranking(QStringLiteral("^(\\d{8})\\.[dw]\\d\\d$"));
    if (const auto m = priceFile.match(name); m.hasMatch())
        return QDate::fromString(m.captured(1) + m.captured(2), QStringLiteral("yyyyMMdd"));
    if (const auto m = ranking.match(name); m.hasMatch())
        return QDate::fromString(m.captured(1), QStringLiteral("yyyyMMdd"));
    return {};
}

// A published file is whole when its first line starts with its date and its count (on the line
// countLine: 0 for daily and ranking files, 1 for margin files) is the number of lines after the
// count line, every line ended. A file that an older version's write cut short, or left empty,
// fails; so does one whose name and content disagree. One buffer serves every file read.
class WholeFileCheck final
{
public:
    bool operator()(const QString &path, const QDate &date, int countLine)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return false;
        const qint64 size = file.size();
        if (size < 10 || size > (qint64(1) << 30))
            return false;
        m_bytes.resize(qsizetype(size));
        if (file.read(m_bytes.data(), size) != size)
            return false;
        const char *bytes = m_bytes.constData();
        const char *const end = bytes + size;
        const QByteArray stamp = date.toString(QStringLiteral("yyyyMMdd")).toLatin1();
        if (!m_bytes.startsWith(stamp) || end[-2] != '\r' || end[-1] != '\n')
            return false;
        const char *at = bytes + stamp.size();
        if (countLine == 0) {
            if (*at != ',')
                return false;
            ++at;
        } else {
            if (*at != '\r')
                return false;
            at += 2;
        }
        qint64 count = 0;
        const char *const digits = at;
        for (; at < end && *at >= '0' && *at <= '9' && at - digits < 9; ++at)
            count = count * 10 + (*at - '0');
        if (at == digits || at == end || *at != ',')
            return false;
        return std::count(bytes, end, '\n') == count + countLine + 1;
    }

private:
    QByteArray m_bytes;
};

// Which of the given days have rows in a table: one query for many days.
QSet<QDate> datesWithRows(db::Database &database, const QString &table, const std::vector<QDate> &days)
{
    QSet<QDate> found;
    const QString query = QStringLiteral("select distinct 日付 from %1 where 日付 in %2 ;").arg(table, inListMarks());
    for (size_t first = 0; first < days.size(); first += InListSize) {
        db::Recordset rs = database.openRecordset(query, inListValues(days, first), db::RecordsetType::ForwardOnly);
        for (; !rs.eof(); rs.moveNext())
            found.insert(rs.toDate(QStringLiteral("日付")));
    }
    return found;
}

// The names in a folder of the tree, after removing the temporary files that a killed run left.
QSet<QString> publishedNames(const QDir &folder)
{
    QSet<QString> names;
    for (const QString &name : folder.entryList(QDir::Files | QDir::Hidden, QDir::Unsorted)) {
        if (TextFile::isTemporaryFileName(name))
            QFile::remove(folder.filePath(name));
        else
            names.insert(name);
    }
    return names;
}

QStringList rankedKinds(QChar letter)
{
    QStringList kinds;
    for (const InfoKinds::Kind &kind : InfoKinds::shipped()) {
        if (kind.code.startsWith(letter) && ruleOf(kind.code))
            kinds.append(kind.code);
    }
    return kinds;
}

QDate checkedThrough(const QDir &root)
{
    QFile file(root.filePath(CheckedThroughFile));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QDate::fromString(QString::fromLatin1(file.read(8)), QStringLiteral("yyyyMMdd"));
}

// See PublishRequest::from. A day should have its daily file and daily rankings when it has rows,
// daily rankings (without rows) on any other weekday up to the last stored day, weekly rankings on
// a weekly date and on every Friday up to the last stored day, and a margin file on a margin date:
// what writeDays, writeWeeks, writeClosedDays and writeMargins write for it. A file present says
// its day has such rows; the database is asked only about the days without the file. The files of
// the days after `checked` are read to see that they are whole.
QDate resumeDay(db::Database &database, const QDir &root, const QDate &firstStored, const QDate &lastStored, const QDate &to,
                const QDate &checked)
{
    for (const char *folder : {"kabumei", ".previous"})
        (void)publishedNames(QDir(root.filePath(QLatin1String(folder))));
    const QDir kabudata(root.filePath(QStringLiteral("kabudata")));
    const QDir jyhodata(root.filePath(QStringLiteral("jyhodata")));
    const QSet<QString> prices = publishedNames(kabudata);
    const QSet<QString> rankings = publishedNames(jyhodata);
    QDate earliest;
    for (const QSet<QString> *names : {&prices, &rankings}) {
        for (const QString &name : *names) {
            const QDate d = dateOfName(name);
            if (d.isValid() && (!earliest.isValid() || d < earliest))
                earliest = d;
        }
    }
    if (!earliest.isValid() || !firstStored.isValid())
        return firstStored;
    const QDate start = std::max(earliest, firstStored);
    if (!to.isValid() || start > to)
        return start;

    const QStringList dailyKinds = rankedKinds(QLatin1Char('d')), weeklyKinds = rankedKinds(QLatin1Char('w'));
    struct Day
    {
        QDate date;
        QString stamp, daily, margin;
    };
    std::vector<Day> range;
    for (QDate day = start; day <= to; day = day.addDays(1))
        range.push_back({day, day.toString(QStringLiteral("yyyyMMdd")), importer::dailyFileName(day), importer::marginFileName(day)});
    const auto anyRanking = [&](const Day &day, const QStringList &kinds) {
        return std::any_of(kinds.begin(), kinds.end(),
                           [&](const QString &k) { return rankings.contains(day.stamp + QLatin1Char('.') + k); });
    };
    const auto fridayUpToLast = [&](const QDate &day) { return day.dayOfWeek() == Qt::Friday && day <= lastStored; };
    std::vector<QDate> askDaily, askWeekly, askMargin;
    for (const Day &day : range) {
        if (!prices.contains(day.daily))
            askDaily.push_back(day.date);
        if (!fridayUpToLast(day.date) && !anyRanking(day, weeklyKinds))
            askWeekly.push_back(day.date);
        if (!prices.contains(day.margin))
            askMargin.push_back(day.date);
    }
    const QSet<QDate> trading = datesWithRows(database, QStringLiteral("daydata"), askDaily);
    const QSet<QDate> weekly = datesWithRows(database, QStringLiteral("weekdata"), askWeekly);
    const QSet<QDate> margin = datesWithRows(database, QStringLiteral("ShinYo"), askMargin);

    WholeFileCheck readsWhole;
    // Present, and whole: by its content after the checked days.
    const auto isWhole = [&](const QSet<QString> &names, const QDir &folder, const QString &name, const QDate &day, int countLine) {
        return names.contains(name) && ((checked.isValid() && day <= checked) || readsWhole(folder.filePath(name), day, countLine));
    };
    const auto rankingsWhole = [&](const Day &day, const QStringList &kinds) {
        return std::all_of(kinds.begin(), kinds.end(),
                           [&](const QString &k) { return isWhole(rankings, jyhodata, day.stamp + QLatin1Char('.') + k, day.date, 0); });
    };
    for (const Day &day : range) {
        const bool hasRows = prices.contains(day.daily) || trading.contains(day.date);
        if (hasRows && !isWhole(prices, kabudata, day.daily, day.date, 0))
            return day.date;
        if ((hasRows || (day.date.dayOfWeek() <= Qt::Friday && day.date <= lastStored)) && !rankingsWhole(day, dailyKinds))
            return day.date;
        if ((fridayUpToLast(day.date) || anyRanking(day, weeklyKinds) || weekly.contains(day.date)) && !rankingsWhole(day, weeklyKinds))
            return day.date;
        if ((prices.contains(day.margin) || margin.contains(day.date)) && !isWhole(prices, kabudata, day.margin, day.date, 1))
            return day.date;
    }
    return to.addDays(1);
}

} // namespace

QByteArray rankingFileBytes(const Ranking &ranking)
{
    QString text = ranking.date.toString(QStringLiteral("yyyyMMdd")) + QLatin1Char(',') + QString::number(ranking.rows.size())
        + QLatin1Char(',') + HeaderFiller + ranking.comment + QStringLiteral("\r\n");
    int rank = 0;
    for (const RankingRow &r : ranking.rows) {
        text += QStringLiteral("%1,%2,%3,%4,%5,%6\r\n")
                    .arg(++rank)
                    .arg(r.code)
                    .arg(r.price)
                    .arg(r.thousandShares.toString())
                    .arg(r.change)
                    .arg(r.value);
    }
    return TextFile::encode(text);
}

PublishResult publish(const QString &databasePath, const PublishRequest &request,
                      const std::function<void(const QString &)> &log)
{
    PublishResult failed;
    if (request.outputFolder.isEmpty()) {
        failed.error = QStringLiteral("出力フォルダを指定して下さい。");
        return failed;
    }
    try {
        db::Database database(databasePath);
        // Most pages are read once: a small page cache is recycled, where the usual large one takes
        // fresh memory for every page read, and that costs more than the read.
        database.executeRaw(QStringLiteral("PRAGMA cache_size=-2000"));
        Writer writer(database, request.outputFolder, request.stopAfterFiles, log);
        PublishResult &result = writer.result;
        const QVariant first = database.scalar(QStringLiteral("SELECT Min(日付) AS MinDate FROM daydata ;"));
        const QVariant last = database.scalar(QStringLiteral("SELECT Max(日付) AS MaxDate FROM daydata ;"));
        const auto asDate = [](const QVariant &v) {
            return v.typeId() == QMetaType::QDate ? v.toDate() : QDate::fromString(v.toString().left(10), Qt::ISODate);
        };
        result.to = request.to.isValid() ? request.to : asDate(last);
        const QDir root(request.outputFolder);
        const QDate checked = checkedThrough(root);
        result.from = request.from.isValid() ? request.from
                                             : resumeDay(database, root, asDate(first), asDate(last), result.to, checked);
        writer.loadIssues();
        const QDate registrationDate = result.to.isValid() ? result.to : QDate::currentDate();
        bool ok = writer.writeRegistration(registrationDate) && writer.writeKinds();
        if (ok && result.from.isValid() && result.to.isValid() && result.from <= result.to) {
            // Days after the last stored one may still come: no empty rankings for them.
            const QDate lastStored = asDate(last);
            ok = writer.writeDays(result.from, result.to) && writer.writeWeeks(result.from, result.to)
                && writer.writeClosedDays(result.from, std::min(result.to, lastStored)) && writer.writeMargins(result.from, result.to);
        }
        ok = ok && writer.writeQuotePages(registrationDate);
        // Every day up to the end of the range is whole now, unless the run began after days that
        // were not checked.
        const bool continuous = !request.from.isValid() || (checked.isValid() && request.from <= checked.addDays(1));
        if (ok && continuous && result.to.isValid() && (!checked.isValid() || result.to > checked))
            ok = writer.writeCheckedThrough(result.to);
        if (!ok) {
            result.error = writer.error;
            return result;
        }
        result.ok = true;
        return result;
    } catch (const db::DbError &e) {
        failed.error = e.description();
        return failed;
    }
}

} // namespace publish
