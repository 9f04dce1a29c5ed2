#include "publish/PublishWriter.h"

#include "base/Helpers.h"
#include "db/Recordset.h"
#include "info/InfoKinds.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace publish {

QString percent(double fraction)
{
    return QString::number(Rounding::nearest(fraction * 1000.0) / 10.0, 'f', 1);
}

Currency thousandShares(const Currency &volume, qint64 volumeUnit)
{
    // volume × unit ÷ 1000, exact to 1/10000 for the units in use (100, 1000, ...).
    return Currency::fromDouble(volume.toDouble() * double(volumeUnit) / 1000.0);
}

namespace {

struct KindRule
{
    const char *code;
    const char16_t *comment;
    bool highestFirst;
};

// What each kind ranks and among which issues; the comment names the issues, in at most the ten
// characters the ranking's comment field keeps:
// d01/d02 change against the previous close (%), highest/lowest first; d03 volume (thousand shares);
// d04 volume ÷ the 25-day average volume; d05 turnover (thousand yen); d06/d07 deviation from the
// 25-day average (%); d08/d09 new high/low of the year, rise/fall from the previous one (%);
// w01/w02 change against the previous week (%); w03 the week's volume.
const KindRule Rules[] = {
    {"d01", u"対象:当日売買", true},
    {"d02", u"対象:当日売買", false},
    {"d03", u"対象:当日売買", true},
    {"d04", u"対象:25日以上", true},
    {"d05", u"対象:当日売買", true},
    {"d06", u"対象:25日以上", true},
    {"d07", u"対象:25日以上", false},
    {"d08", u"対象:全銘柄", true},
    {"d09", u"対象:全銘柄", false},
    {"w01", u"対象:当週売買", true},
    {"w02", u"対象:当週売買", false},
    {"w03", u"対象:当週売買", true},
};

const KindRule *ruleOf(const QString &code)
{
    for (const KindRule &r : Rules) {
        if (code == QLatin1String(r.code))
            return &r;
    }
    return nullptr;
}

// Whether a figure ranks before another: the higher (or lower) first, equal figures by code.
bool ranksBefore(bool highestFirst, double figure, int code, double otherFigure, int otherCode)
{
    if (figure != otherFigure)
        return highestFirst ? figure > otherFigure : figure < otherFigure;
    return code < otherCode;
}

} // namespace

bool isRankedKind(const QString &code)
{
    return ruleOf(code) != nullptr;
}

void Writer::loadEarlierExtremes(const std::vector<qint64> &codes)
{
    const QDate yearStart(m_readFrom.year(), 1, 1);
    static const QString extremes =
        QStringLiteral("select コード, Max(終値) as H, Min(終値) as L from daydata where コード in %1 and 日付 between ? and ? and 出来高 > 0 group by コード ;")
            .arg(inListMarks());
    for (qint64 code : codes)
        m_history[size_t(code)].earlierLoaded = true;
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

void Writer::addNewExtremes(const QDate &date, const PriceRow &r, std::vector<Candidate> &highs, std::vector<Candidate> &lows) const
{
    // Against the rows read this year and, in the year the reading began, the rows before it.
    const History &h = m_history[size_t(r.code)];
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
        highs.push_back({rise, &r, percent(rise)});
    }
    if (low && *low > 0 && r.close < *low) {
        const double fall = double(r.close - *low) / double(*low);
        lows.push_back({fall, &r, percent(fall)});
    }
}

void Writer::addNewExtremes(const QDate &date, const std::vector<const PriceRow *> &unsure, std::vector<Candidate> &highs,
                            std::vector<Candidate> &lows)
{
    // Each row's figure against the rows read is the best it can reach: the year's rows before
    // them can only raise the high it must pass or lower the low. The rows are looked up best
    // bound first, until no row left could enter a ranking.
    struct Bound
    {
        double figure;
        const PriceRow *row;
    };
    std::vector<Bound> highBounds, lowBounds;
    constexpr double unknown = std::numeric_limits<double>::infinity();
    for (const PriceRow *r : unsure) {
        const History &h = m_history[size_t(r->code)];
        const bool readThisYear = h.year == date.year() && h.yearHigh && h.yearLow;
        if (!readThisYear) {
            highBounds.push_back({unknown, r});
            lowBounds.push_back({-unknown, r});
            continue;
        }
        if (r->close > *h.yearHigh)
            highBounds.push_back({*h.yearHigh > 0 ? double(r->close - *h.yearHigh) / double(*h.yearHigh) : unknown, r});
        if (*h.yearLow > 0 && r->close < *h.yearLow)
            lowBounds.push_back({double(r->close - *h.yearLow) / double(*h.yearLow), r});
    }
    const auto sortBest = [](std::vector<Bound> &bounds, bool highestFirst) {
        std::sort(bounds.begin(), bounds.end(), [highestFirst](const Bound &a, const Bound &b) {
            return ranksBefore(highestFirst, a.figure, a.row->code, b.figure, b.row->code);
        });
    };
    sortBest(highBounds, true);
    sortBest(lowBounds, false);
    // Whether a row whose figure is at best this one could still enter the ranking's top rows.
    const auto couldEnter = [](std::vector<Candidate> &ranked, bool highestFirst, const Bound &bound) {
        if (ranked.size() < size_t(RankingSize))
            return true;
        const auto last = ranked.begin() + (RankingSize - 1);
        std::nth_element(ranked.begin(), last, ranked.end(), [highestFirst](const Candidate &a, const Candidate &b) {
            return ranksBefore(highestFirst, a.figure, a.row->code, b.figure, b.row->code);
        });
        return !ranksBefore(highestFirst, last->figure, last->row->code, bound.figure, bound.row->code);
    };
    // A round looks up as many rows as one statement takes, the best bounds of each side: in one
    // statement, codes close together share the pages they read.
    constexpr size_t PerSide = InListSize / 2;
    size_t nextHigh = 0, nextLow = 0;
    for (;;) {
        std::vector<const PriceRow *> batch;
        const auto take = [&](const std::vector<Bound> &bounds, size_t &next, std::vector<Candidate> &ranked, bool highestFirst) {
            for (size_t taken = 0; next < bounds.size() && taken < PerSide; ++next) {
                const Bound &b = bounds[next];
                if (m_history[size_t(b.row->code)].earlierLoaded)
                    continue; // looked up for the other ranking
                if (!couldEnter(ranked, highestFirst, b)) {
                    next = bounds.size();
                    break;
                }
                m_history[size_t(b.row->code)].earlierLoaded = true; // taken once
                batch.push_back(b.row);
                ++taken;
            }
        };
        take(highBounds, nextHigh, highs, true);
        take(lowBounds, nextLow, lows, false);
        if (batch.empty())
            return;
        std::vector<qint64> codes;
        codes.reserve(batch.size());
        for (const PriceRow *r : batch)
            codes.push_back(r->code);
        loadEarlierExtremes(codes);
        for (const PriceRow *r : batch)
            addNewExtremes(date, *r, highs, lows);
    }
}

void Writer::remember(const QDate &date, const std::vector<PriceRow> &rows)
{
    for (const PriceRow &r : rows) {
        History &h = m_history[size_t(r.code)];
        h.volumes.push(r.volume.raw());
        if (r.volume.isZero())
            continue;
        h.previousClose = r.close;
        h.closes.push(r.close);
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
        return ranksBefore(highestFirst, a.figure, a.row->code, b.figure, b.row->code);
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
    const bool earlierNeeded = date.year() == m_readFrom.year() && m_readFrom > QDate(m_readFrom.year(), 1, 1);
    std::vector<const PriceRow *> unsure;
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
            for (size_t i = 0; i < h.volumes.size(); ++i)
                sum += h.volumes[i];
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
        // New highs and lows of the year. In the year the reading began, a close past the
        // extremes read needs the year's rows before them, which are looked up only for the rows
        // that could enter the rankings.
        const bool readThisYear = h.year == date.year() && h.yearHigh && h.yearLow;
        if (earlierNeeded && !h.earlierLoaded && (!readThisYear || r.close > *h.yearHigh || r.close < *h.yearLow))
            unsure.push_back(&r);
        else
            addNewExtremes(date, r, lists[7], lists[8]);
    }
    addNewExtremes(date, unsure, lists[7], lists[8]);
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

} // namespace publish
