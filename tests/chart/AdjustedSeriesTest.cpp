// The adjusted chart against real prices around split days: the rows equal the prices as traded
// times the cumulative factor, and every indicator equals the one a plain routine of this file
// computes on those rows.

#include "chart/ChartSeries.h"
#include "chart/Indicators.h"

#include "ChartTestSupport.h"
#include "support/TestSupport.h"

#include "base/DateUtil.h"
#include "base/MainModule.h"
#include "import/WeeklyBuilder.h"
#include "splits/Adjustments.h"

#include <QFile>

#include <gtest/gtest.h>

#include <cmath>
#include <map>

using namespace chart;
using testing_support::FixedClock;
using testing_support::ScriptedPrompt;
using testing_support::TempProgramFolder;

namespace {

struct RealDay
{
    QDate date;
    qint64 open, high, low, close, volume;
    double adjustedClose; // the data set's, adjusted for splits only
};

std::vector<RealDay> readRealDays(const QString &code)
{
    QFile file(QStringLiteral(MIRAVEL_CHART_TEST_DATA "/%1.csv").arg(code));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
    std::vector<RealDay> days;
    const QStringList lines = QString::fromLatin1(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString &line : lines.mid(1)) {
        const QStringList f = line.split(QLatin1Char(','));
        days.push_back({QDate::fromString(f[0], QStringLiteral("yyyy/MM/dd")), f[1].toLongLong(), f[2].toLongLong(), f[3].toLongLong(),
                        f[4].toLongLong(), f[5].toLongLong(), f[6].toDouble()});
    }
    return days;
}

// a / b to the nearest whole number, halves to the even one (b > 0, a >= 0).
qint64 halfEven(qint64 a, qint64 b)
{
    const qint64 q = a / b, r = a % b;
    return 2 * r > b || (2 * r == b && q % 2 == 1) ? q + 1 : q;
}

struct Row
{
    QDate date;
    qint64 open = 0, high = 0, low = 0, close = 0, change = 0, volume = 0;
};

// The days as a chart user expects them after one event: prices before the day times old/new.
std::vector<Row> adjustedDays(const std::vector<RealDay> &days, const QDate &eventDay, qint64 oldShares, qint64 newShares)
{
    std::vector<Row> rows;
    for (const RealDay &d : days) {
        const bool before = d.date < eventDay;
        auto price = [&](qint64 p) { return before ? halfEven(p * oldShares, newShares) : p; };
        Row r{d.date, price(d.open), price(d.high), price(d.low), price(d.close), 0, before ? halfEven(d.volume * newShares, oldShares) : d.volume};
        r.change = rows.empty() ? 0 : r.close - rows.back().close;
        rows.push_back(r);
    }
    return rows;
}

// The figures of the indicators, computed directly from their definitions.
struct Expected
{
    std::vector<qint64> ma[3];
    std::vector<int> dev[3], psychological, rsi, vr;
    std::vector<double> ito;
    qint64 maxHigh = 0, minLow = 0, maxVolume = 0;
    double top = 0, bottom = 0, quadA = 0, quadB = 0, quadC = 0;
};

Expected expectedIndicators(const std::vector<Row> &w, const IndicatorSettings &st)
{
    const int n = int(w.size());
    Expected e;
    const int periods[3] = {st.move1, st.move2, st.move3};
    for (int a = 0; a < 3; ++a) {
        const int p = periods[a];
        e.ma[a].assign(size_t(n), 0);
        e.dev[a].assign(size_t(n), 0);
        for (int k = p - 1; k < n; ++k) {
            qint64 sum = 0, count = 0;
            for (int i = k - p + 1; i <= k; ++i) {
                sum += w[size_t(i)].close;
                count += w[size_t(i)].close != 0;
            }
            const qint64 ma = (2 * sum + count) / (2 * count); // half a yen up
            e.ma[a][size_t(k)] = ma;
            e.dev[a][size_t(k)] = int(std::nearbyint(double(w[size_t(k)].close) / double(ma) * 1000.0 - 1000.0));
        }
    }
    auto window = [&](int period, auto &&f) {
        std::vector<int> v(size_t(n), -1);
        for (int k = period - 1; k < n; ++k)
            v[size_t(k)] = f(k - period + 1, k);
        return v;
    };
    e.psychological = window(st.SaicoL, [&](int from, int to) {
        int up = 0;
        for (int i = from; i <= to; ++i)
            up += w[size_t(i)].change > 0;
        return int(std::nearbyint(100.0 * up / st.SaicoL));
    });
    e.rsi = window(st.RSIVR, [&](int from, int to) {
        double gain = 0, all = 0;
        for (int i = from; i <= to; ++i) {
            gain += std::max<qint64>(w[size_t(i)].change, 0);
            all += std::abs(w[size_t(i)].change);
        }
        return all == 0 ? 0 : int(std::nearbyint(gain / all * 100.0));
    });
    e.vr = window(st.RSIVR, [&](int from, int to) {
        double up = 0, same = 0, total = 0;
        for (int i = from; i <= to; ++i) {
            const Row &r = w[size_t(i)];
            (r.change > 0 ? up : r.change == 0 ? same
                                               : total) += double(r.volume);
        }
        total += up + same;
        return total == 0 ? 0 : int(std::nearbyint((up + same / 2) / total * 100.0));
    });

    e.minLow = std::numeric_limits<qint64>::max();
    for (const Row &r : w) {
        e.maxHigh = std::max(e.maxHigh, r.high);
        if (r.low != 0)
            e.minLow = std::min(e.minLow, r.low);
        e.maxVolume = std::max(e.maxVolume, r.volume);
    }
    e.top = std::floor(double(e.maxHigh) / 10) * 10 + 10;
    e.bottom = std::trunc(double(e.minLow) / 10) * 10;

    // The Ito ratio: the angle of the short average's rise over its period, in degrees on a chart
    // 256 units high, raised by the steepest angle of the series.
    const int p = periods[st.ITORSO - 1];
    const double unit = std::round((e.top - e.bottom) / 256.0 * 10000) / 10000;
    std::vector<double> angle(size_t(n), 0.0);
    double steepest = 0;
    for (int k = 2 * p; k < n; ++k) {
        const double rise = double(e.ma[st.ITORSO - 1][size_t(k)] - e.ma[st.ITORSO - 1][size_t(k - p)]);
        angle[size_t(k)] = std::atan(rise / (5.0 * unit * p)) * 180.0 / M_PI;
        steepest = std::max(steepest, std::abs(angle[size_t(k)]));
    }
    e.ito.assign(size_t(n), 0.0);
    for (int k = 2 * p; k < n; ++k)
        e.ito[size_t(k)] = angle[size_t(k)] + steepest;

    // The trend curve y = A + Bx + Cx² over x = index + 1 - centre.
    const int centre = n % 2 != 0 ? (n + 1) / 2 : n / 2;
    const double count = n % 2 != 0 ? n : n - 1;
    long double sx2 = 0, sx4 = 0, sy = 0, sxy = 0, sx2y = 0;
    for (int k = 0; k < n; ++k) {
        const long double x = k + 1 - centre, y = w[size_t(k)].close;
        sx2 += x * x;
        sx4 += x * x * x * x;
        sy += y;
        sxy += x * y;
        sx2y += x * x * y;
    }
    const long double d = count * sx4 - sx2 * sx2;
    e.quadC = double((count * sx2y - sy * sx2) / d);
    e.quadB = double(sxy / sx2);
    e.quadA = double((sy * sx4 - sx2 * sx2y) / d);
    return e;
}

void expectIndicators(const ChartSeries &s, const std::vector<Row> &w, const IndicatorSettings &st, const std::string &what)
{
    const Expected e = expectedIndicators(w, st);
    for (int k = 0; k < s.Count; ++k) {
        SCOPED_TRACE(what + " record " + std::to_string(k));
        const ChartRecord &r = s.Records[size_t(k)];
        EXPECT_EQ(r.MaShort, Currency::fromInt(e.ma[0][size_t(k)]));
        EXPECT_EQ(r.MaMiddle, Currency::fromInt(e.ma[1][size_t(k)]));
        EXPECT_EQ(r.MaLong, Currency::fromInt(e.ma[2][size_t(k)]));
        EXPECT_EQ(r.DevShort, e.dev[0][size_t(k)]);
        EXPECT_EQ(r.DevMiddle, e.dev[1][size_t(k)]);
        EXPECT_EQ(r.DevLong, e.dev[2][size_t(k)]);
        EXPECT_EQ(r.Psychological, e.psychological[size_t(k)]);
        EXPECT_EQ(r.Rsi, e.rsi[size_t(k)]);
        EXPECT_EQ(r.Vr, e.vr[size_t(k)]);
        EXPECT_NEAR(r.ItoRatio.toDouble(), e.ito[size_t(k)], 0.0003);
    }
    SCOPED_TRACE(what);
    EXPECT_EQ(s.MaxHigh, Currency::fromInt(e.maxHigh));
    EXPECT_EQ(s.MinLow, Currency::fromInt(e.minLow));
    EXPECT_EQ(s.MaxVolume, Currency::fromInt(e.maxVolume));
    EXPECT_EQ(s.ChartTop.toDouble(), e.top);
    EXPECT_EQ(s.ChartBottom.toDouble(), e.bottom);
    EXPECT_NEAR(s.QuadA.toDouble(), e.quadA, 0.001);
    EXPECT_NEAR(s.QuadB.toDouble(), e.quadB, 0.001);
    EXPECT_NEAR(s.QuadC.toDouble(), e.quadC, 0.001);
}

void expectRows(const ChartSeries &s, const std::vector<Row> &w, const std::string &what)
{
    ASSERT_EQ(s.Count, int(w.size())) << what;
    for (int k = 0; k < s.Count; ++k) {
        SCOPED_TRACE(what + " record " + std::to_string(k));
        const ChartRecord &r = s.Records[size_t(k)];
        const Row &e = w[size_t(k)];
        EXPECT_EQ(r.Date, e.date);
        EXPECT_EQ(r.Open, Currency::fromInt(e.open));
        EXPECT_EQ(r.High, Currency::fromInt(e.high));
        EXPECT_EQ(r.Low, Currency::fromInt(e.low));
        EXPECT_EQ(r.Close, Currency::fromInt(e.close));
        EXPECT_EQ(r.CloseCarried, Currency::fromInt(e.close));
        EXPECT_EQ(r.Change, Currency::fromInt(e.change));
        EXPECT_EQ(r.Volume, e.volume);
    }
}

// The weeks of the days as the weekly build makes them: a week ends where the weekday number goes
// down, and is dated on the Friday on or after its last day.
std::vector<Row> weeksOf(const std::vector<Row> &days)
{
    std::vector<Row> rows;
    int previousWeekday = 8;
    for (const Row &d : days) {
        const int weekday = DateUtil::weekdayNumber(d.date);
        if (weekday < previousWeekday) {
            rows.push_back(Row{});
            rows.back().open = d.open;
            rows.back().low = d.low;
        }
        previousWeekday = weekday;
        Row &w = rows.back();
        w.date = DateUtil::FridayOnOrAfter(d.date);
        w.high = std::max(w.high, d.high);
        w.low = std::min(w.low, d.low);
        w.close = d.close;
        w.volume += d.volume;
    }
    for (size_t i = 1; i < rows.size(); ++i)
        rows[i].change = rows[i].close - rows[i - 1].close;
    return rows;
}

struct KnownSplit
{
    const char *code;
    QDate day;
    qint64 oldShares, newShares;
};

class AdjustedSeriesTest : public ::testing::TestWithParam<KnownSplit>
{
protected:
    void SetUp() override { folder.createDatabase(); }

    ChartSeries load(int code, const QDate &base, int mode, bool adjusted)
    {
        ChartSeries series;
        ScrollCalibration scroll;
        scroll.NewestDate = clock.today();
        QString date = DateUtil::formatYYMMDD(base);
        LoadChartSeries(series, scroll, code, date, mode, IndicatorSettings(), prompt, clock, adjusted);
        return series;
    }

    TempProgramFolder folder;
    FixedClock clock{QDate(2018, 12, 1)};
    ScriptedPrompt prompt;
};

} // namespace

TEST_P(AdjustedSeriesTest, RealSplitIsFoundAndTheAdjustedChartMatchesTheModel)
{
    const KnownSplit known = GetParam();
    const int code = QString::fromLatin1(known.code).toInt();
    const std::vector<RealDay> days = readRealDays(QString::fromLatin1(known.code));
    ASSERT_GT(days.size(), 150u);
    {
        db::Database d(MainModule::DBPath);
        chart_test::insertMei(d, code, QStringLiteral("1"), QStringLiteral("1"));
        std::vector<chart_test::PriceRow> rows;
        for (const RealDay &day : days)
            rows.push_back({day.date, day.open, day.high, day.low, day.close, rows.empty() ? 0 : day.close - rows.back().close, day.volume});
        chart_test::insertRows(d, code, rows);
    }
    testing_support::RecordingProgress progress;
    importer::BuildWeeklyData(days.front().date, days.back().date, progress);

    // The split is offered, with the volume moving the way of the share count, and then stored.
    {
        db::Database d(MainModule::DBPath);
        const std::vector<splits::Suggestion> offered = splits::SuggestEvents(d, code);
        ASSERT_EQ(offered.size(), 1u);
        EXPECT_EQ(offered[0].date, known.day);
        EXPECT_EQ(offered[0].ratio, (splits::Ratio{known.oldShares, known.newShares}));
        EXPECT_GT(known.newShares > known.oldShares ? offered[0].volumeChange : 1.0 / offered[0].volumeChange, 1.5);
        splits::StoreEvent(d, {code, offered[0].date, offered[0].ratio});
        d.close();
    }

    const std::vector<Row> expectedDays = adjustedDays(days, known.day, known.oldShares, known.newShares);
    const auto split = std::find_if(days.begin(), days.end(), [&](const RealDay &d) { return d.date == known.day; });
    const size_t last = size_t(split - days.begin()) + 40;
    const std::vector<Row> window(expectedDays.begin() + qint64(last) - 109, expectedDays.begin() + qint64(last) + 1);

    const ChartSeries daily = load(code, days[last].date, 1, true);
    EXPECT_TRUE(daily.Adjusted);
    expectRows(daily, window, "daily");
    expectIndicators(daily, window, IndicatorSettings(), "daily");
    // The data set's adjusted close (a tenth of a yen) agrees with the whole-yen adjusted close.
    for (int k = 0; k < daily.Count; ++k) {
        const RealDay &real = days[last - 109 + size_t(k)];
        EXPECT_NEAR(daily.Records[size_t(k)].Close.toDouble(), real.adjustedClose, 0.55) << real.date.toString().toStdString();
    }

    // Weekly: the week of the split is rebuilt from its days, the others scaled whole.
    const std::vector<Row> weeks = weeksOf(expectedDays);
    const ChartSeries weekly = load(code, weeks.back().date, 2, true);
    ASSERT_GT(weekly.Count, 30);
    const std::vector<Row> weekWindow(weeks.end() - weekly.Count, weeks.end());
    for (int k = 0; k < weekly.Count; ++k) {
        const ChartRecord &r = weekly.Records[size_t(k)];
        const Row &e = weekWindow[size_t(k)];
        SCOPED_TRACE("week of " + e.date.toString().toStdString());
        EXPECT_EQ(r.Date, e.date);
        EXPECT_EQ(r.Open, Currency::fromInt(e.open));
        EXPECT_EQ(r.High, Currency::fromInt(e.high));
        EXPECT_EQ(r.Low, Currency::fromInt(e.low));
        EXPECT_EQ(r.Close, Currency::fromInt(e.close));
        EXPECT_EQ(r.Change, Currency::fromInt(e.change));
        // A reverse split divides a week's summed volume once, the days of a split week each.
        EXPECT_NEAR(r.Volume, double(e.volume), known.oldShares > 1 ? 3.0 : 0.0);
    }

    // Off, the chart is the prices as traded.
    const ChartSeries asTraded = load(code, days[last].date, 1, false);
    EXPECT_FALSE(asTraded.Adjusted);
    EXPECT_EQ(asTraded.Records[0].Close, Currency::fromInt(days[last - 109].close));
}

INSTANTIATE_TEST_SUITE_P(RealIssues, AdjustedSeriesTest,
                         ::testing::Values(KnownSplit{"6758", QDate(2000, 3, 28), 1, 2}, KnownSplit{"9984", QDate(2005, 12, 28), 1, 3},
                                           KnownSplit{"8889", QDate(2014, 3, 27), 1, 10}, KnownSplit{"1301", QDate(2016, 9, 28), 10, 1}),
                         [](const auto &info) { return std::string("code") + info.param.code; });

namespace {

class AdjustedWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder.createDatabase();
        db::Database d(MainModule::DBPath);
        chart_test::insertMei(d, 1301, QStringLiteral("1"), QStringLiteral("1"));
        // 130 weekdays from 2020-01-06 closing at 1001, 1003, 1005, ...
        std::vector<qint64> closes;
        for (int i = 0; i < 130; ++i)
            closes.push_back(1001 + 2 * i);
        rows = chart_test::weekdayRows(QDate(2020, 1, 6), closes);
        chart_test::insertRows(d, 1301, rows);
    }

    void storeEvent(const QDate &day)
    {
        db::Database d(MainModule::DBPath);
        splits::StoreEvent(d, {1301, day, {1, 2}});
    }

    ChartSeries load()
    {
        ChartSeries series;
        ScrollCalibration scroll;
        QString date = DateUtil::formatYYMMDD(rows.back().date);
        LoadChartSeries(series, scroll, 1301, date, 1, IndicatorSettings(), prompt, clock, true);
        return series;
    }

    TempProgramFolder folder;
    FixedClock clock{QDate(2020, 12, 1)};
    ScriptedPrompt prompt;
    std::vector<chart_test::PriceRow> rows;
};

} // namespace

TEST_F(AdjustedWindowTest, AnEventBeforeTheChartChangesNothingAndOneOnItsFirstDayOnlyItsChange)
{
    // The chart shows rows 20 to 129.
    storeEvent(rows[5].date);
    ChartSeries s = load();
    EXPECT_FALSE(s.Adjusted) << "nothing on show changed";
    EXPECT_EQ(s.Records[0].Date, rows[20].date);
    EXPECT_EQ(s.Records[0].Close, Currency::fromInt(rows[20].close));
    EXPECT_EQ(s.Records[0].Change, Currency::fromInt(2));

    // An event on the first row on show: the row before it (not on show) is halved, 1039 -> 520
    // (half to even), so the first change is 1041 - 520.
    storeEvent(rows[20].date);
    s = load();
    EXPECT_TRUE(s.Adjusted);
    EXPECT_EQ(s.Records[0].Close, Currency::fromInt(1041));
    EXPECT_EQ(s.Records[0].Change, Currency::fromInt(1041 - 520));
    EXPECT_EQ(s.Records[1].Change, Currency::fromInt(2));

    // Moved to the second row: the first is halved (1041 -> 520.5 -> 520), and so is the
    // reference its change was taken against (1039 -> 519.5 -> 520).
    {
        db::Database d(MainModule::DBPath);
        ASSERT_TRUE(splits::RemoveEvent(d, 1301, rows[20].date));
    }
    storeEvent(rows[21].date);
    s = load();
    EXPECT_EQ(s.Records[0].Close, Currency::fromInt(520));
    EXPECT_EQ(s.Records[0].Change, Currency::fromInt(0));
    EXPECT_EQ(s.Records[1].Close, Currency::fromInt(1043));
    EXPECT_EQ(s.Records[1].Change, Currency::fromInt(1043 - 520));
}
