#include "chart/ChartSeries.h"
#include "chart/Indicators.h"

#include "ChartTestSupport.h"
#include "RealDailyData.h"
#include "support/TestSupport.h"

#include "base/MainModule.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace chart;
using chart_test::PriceRow;
using testing_support::FixedClock;
using testing_support::ScriptedPrompt;
using testing_support::TempProgramFolder;

namespace {

class LoadChartSeriesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder.createDatabase();
        scroll.NewestDate = clock.today();
    }

    db::Database open() { return db::Database(MainModule::DBPath); }

    void load(int code, const QString &date, int mode = 1)
    {
        chartDate = date;
        LoadChartSeries(series, scroll, code, chartDate, mode, IndicatorSettings(), prompt, clock);
    }

    TempProgramFolder folder;
    FixedClock clock{QDate(2020, 6, 30)};
    ScriptedPrompt prompt;
    ChartSeries series;
    ScrollCalibration scroll;
    QString chartDate;
};

std::vector<qint64> closesFrom(int count, qint64 start)
{
    std::vector<qint64> v;
    for (int i = 0; i < count; ++i)
        v.push_back(start + (i % 7) * 5);
    return v;
}

} // namespace

TEST_F(LoadChartSeriesTest, FewerRowsThanTheSeriesFillTheFrontAndLeaveTheRestZero)
{
    {
        db::Database d = open();
        chart_test::insertMei(d, 1301, QStringLiteral("1"), QStringLiteral("1"));
        chart_test::insertRows(d, 1301, chart_test::weekdayRows(QDate(2020, 3, 2), closesFrom(40, 500)));
    }
    load(1301, QStringLiteral("20/06/30"));
    EXPECT_EQ(series.Count, 40);
    EXPECT_EQ(series.CenterIndex, 20);
    EXPECT_EQ(series.Records[0].Date, QDate(2020, 3, 2));
    EXPECT_EQ(series.Records[39].Close, Currency::fromInt(500 + (39 % 7) * 5));
    for (int k = 40; k < SeriesLength; ++k) {
        EXPECT_FALSE(series.Records[k].Date.isValid()) << k;
        EXPECT_TRUE(series.Records[k].Close.isZero()) << k;
        EXPECT_EQ(series.Records[k].Volume, 0) << k;
    }
    EXPECT_TRUE(prompt.messages().isEmpty());
}

TEST_F(LoadChartSeriesTest, TheNewestHundredTenRowsUpToTheBaseDateAreLoaded)
{
    {
        db::Database d = open();
        chart_test::insertMei(d, 7203, QStringLiteral("1"), QStringLiteral("1"));
        chart_test::insertRows(d, 7203, chart_test::weekdayRows(QDate(2019, 6, 3), closesFrom(200, 1000)));
    }
    // 2020-02-08 is a Saturday: the newest record is Friday's row.
    load(7203, QStringLiteral("20/02/08"));
    EXPECT_EQ(series.Count, 110);
    EXPECT_EQ(series.CenterIndex, 55);
    EXPECT_EQ(series.Records[109].Date, QDate(2020, 2, 7));
    EXPECT_EQ(series.Records[0].Date, QDate(2019, 9, 9)); // 110 weekdays back, inclusive
}

TEST_F(LoadChartSeriesTest, NoTradeRowsCarryThePreviousClose)
{
    {
        db::Database d = open();
        chart_test::insertMei(d, 1332, QStringLiteral("1"), QStringLiteral("1"));
        chart_test::insertRows(d, 1332, chart_test::weekdayRows(QDate(2020, 6, 1), {0, 300, 0, 0, 310}));
    }
    load(1332, QStringLiteral("20/06/30"));
    ASSERT_EQ(series.Count, 5);
    const qint64 expected[] = {0, 300, 300, 300, 310};
    for (int k = 0; k < 5; ++k)
        EXPECT_EQ(series.Records[k].CloseCarried, Currency::fromInt(expected[k])) << k;
    EXPECT_TRUE(series.Records[2].Close.isZero());
}

TEST_F(LoadChartSeriesTest, UnitsScalePricesAndVolumes)
{
    {
        db::Database d = open();
        chart_test::insertMei(d, 9984, QStringLiteral("1000"), QStringLiteral("10"));
        auto rows = chart_test::weekdayRows(QDate(2020, 6, 1), {120, 123});
        rows[1].open = 121;
        rows[1].high = 125;
        rows[1].low = 119;
        rows[1].volume = 57;
        chart_test::insertRows(d, 9984, rows);
    }
    load(9984, QStringLiteral("20/06/30"));
    ASSERT_EQ(series.Count, 2);
    const ChartRecord &r = series.Records[1];
    EXPECT_EQ(r.Open, Currency::fromInt(1210));
    EXPECT_EQ(r.High, Currency::fromInt(1250));
    EXPECT_EQ(r.Low, Currency::fromInt(1190));
    EXPECT_EQ(r.Close, Currency::fromInt(1230));
    EXPECT_EQ(r.Change, Currency::fromInt(30));
    EXPECT_EQ(r.Volume, 57000);
    EXPECT_EQ(series.MaxHigh, Currency::fromInt(1250));
    EXPECT_EQ(series.ChartTop, Currency::fromInt(1260));
}

TEST_F(LoadChartSeriesTest, MissingOrBadUnitsReadAsZeroAndOverflowingVolumesSaturate)
{
    {
        db::Database d = open();
        chart_test::insertMei(d, 1111, QStringLiteral("null"), QStringLiteral("null"));
        chart_test::insertMei(d, 2222, QStringLiteral("2000000000"), QStringLiteral("1"));
        chart_test::insertRows(d, 1111, chart_test::weekdayRows(QDate(2020, 6, 1), {100, 101}));
        auto rows = chart_test::weekdayRows(QDate(2020, 6, 1), {100, 101});
        rows[1].volume = 5000;
        chart_test::insertRows(d, 2222, rows);
        chart_test::insertRows(d, 3333, rows); // not in Mei
    }
    load(1111, QStringLiteral("20/06/30"));
    ASSERT_EQ(series.Count, 2);
    EXPECT_TRUE(series.Records[1].Close.isZero());
    EXPECT_EQ(series.Records[1].Volume, 0);
    load(3333, QStringLiteral("20/06/30"));
    ASSERT_EQ(series.Count, 2);
    EXPECT_TRUE(series.Records[1].High.isZero());
    load(2222, QStringLiteral("20/06/30"));
    EXPECT_EQ(series.Records[1].Volume, 2147483647);
    EXPECT_EQ(series.Records[1].Close, Currency::fromInt(101));
}

TEST_F(LoadChartSeriesTest, NothingOnOrBeforeTheBaseDateIsReportedOnce)
{
    {
        db::Database d = open();
        chart_test::insertMei(d, 1301, QStringLiteral("1"), QStringLiteral("1"));
        chart_test::insertRows(d, 1301, chart_test::weekdayRows(QDate(2020, 6, 1), {100, 101}));
    }
    load(1301, QStringLiteral("20/05/29"));
    EXPECT_EQ(series.Count, 0);
    EXPECT_EQ(prompt.messages(), QStringList{noDataMessage()});
    EXPECT_EQ(noDataMessage(), QStringLiteral("基準日からの表示するデーターがありません。"));
    // The scroll bar was still calibrated on the issue's rows (fewer than a chart: from the first).
    EXPECT_EQ(scroll.OldestBaseDate, QDate(2020, 6, 1));
}

TEST_F(LoadChartSeriesTest, AnInvalidDateTextBecomesToday)
{
    {
        db::Database d = open();
        chart_test::insertMei(d, 1301, QStringLiteral("1"), QStringLiteral("1"));
        chart_test::insertRows(d, 1301, chart_test::weekdayRows(QDate(2020, 6, 1), {100, 101, 102}));
    }
    load(1301, QStringLiteral("20/13/45"));
    EXPECT_EQ(chartDate, QStringLiteral("20/06/30"));
    EXPECT_EQ(series.Count, 3);
}

TEST_F(LoadChartSeriesTest, CalibrationIsReusedForTheSameIssueAndModeOnly)
{
    {
        db::Database d = open();
        chart_test::insertMei(d, 1301, QStringLiteral("1"), QStringLiteral("1"));
        chart_test::insertRows(d, 1301, chart_test::weekdayRows(QDate(2019, 1, 1), closesFrom(150, 400)));
        auto weeks = chart_test::weekdayRows(QDate(2019, 1, 4), closesFrom(3, 400));
        for (size_t i = 0; i < weeks.size(); ++i)
            weeks[i].date = QDate(2019, 1, 4).addDays(7 * qint64(i));
        chart_test::insertRows(d, 1301, weeks, true);
    }
    load(1301, QStringLiteral("20/06/30"));
    // The 110th oldest weekday row from 2019-01-01.
    const QDate oldest = QDate(2019, 6, 3);
    EXPECT_EQ(scroll.OldestBaseDate, oldest);
    const qint64 days = oldest.daysTo(clock.today());
    EXPECT_EQ(scroll.SmallChange, int(std::nearbyint(32767.0 / double(days))));
    EXPECT_EQ(scroll.LargeChange, int(std::nearbyint(32767.0 / double(days) * 5.0)));
    EXPECT_EQ(scroll.CalibratedCode, 1301);
    EXPECT_EQ(scroll.CalibratedMode, 1);

    // A reload of the same issue in the same mode leaves the calibration alone.
    scroll.OldestBaseDate = QDate(2000, 1, 1);
    load(1301, QStringLiteral("20/03/02"));
    EXPECT_EQ(scroll.OldestBaseDate, QDate(2000, 1, 1));

    // Weekly mode recalibrates: with only 3 weekly rows the range reaches back to the first, so
    // a short history still scrolls.
    load(1301, QStringLiteral("20/03/02"), 2);
    EXPECT_EQ(scroll.OldestBaseDate, QDate(2019, 1, 4));
    EXPECT_LT(scroll.SmallChange, 32767);
    EXPECT_EQ(scroll.CalibratedMode, 2);
}

TEST_F(LoadChartSeriesTest, ARangeEndingAfterTodayCollapsesTheScrollSteps)
{
    {
        db::Database d = open();
        chart_test::insertMei(d, 1301, QStringLiteral("1"), QStringLiteral("1"));
        chart_test::insertRows(d, 1301, chart_test::weekdayRows(QDate(2020, 6, 1), closesFrom(120, 400)));
    }
    load(1301, QStringLiteral("20/06/30"));
    EXPECT_EQ(scroll.OldestBaseDate, clock.today());
    EXPECT_EQ(scroll.SmallChange, 32767);
    EXPECT_EQ(scroll.LargeChange, 32767);
}

TEST_F(LoadChartSeriesTest, WeeklySeriesCarryMarginBalances)
{
    {
        db::Database d = open();
        chart_test::insertMei(d, 8306, QStringLiteral("1"), QStringLiteral("1"));
        auto weeks = chart_test::weekdayRows(QDate(2020, 1, 3), closesFrom(4, 600));
        for (size_t i = 0; i < weeks.size(); ++i) {
            weeks[i].date = QDate(2020, 1, 3).addDays(7 * qint64(i));
            weeks[i].sell = i == 1 ? 0 : 1000 + qint64(i);
            weeks[i].buy = 5000 + qint64(i);
        }
        chart_test::insertRows(d, 8306, weeks, true);
        chart_test::insertRows(d, 8306, chart_test::weekdayRows(QDate(2020, 1, 6), {600, 601}));
    }
    load(8306, QStringLiteral("20/06/30"), 2);
    ASSERT_EQ(series.Count, 4);
    EXPECT_EQ(series.Records[0].MarginSell, 1000);
    EXPECT_EQ(series.Records[1].MarginSell, 0);
    EXPECT_EQ(series.Records[3].MarginBuy, 5003);
    EXPECT_EQ(series.MaxMargin, Currency::fromInt(5003));
    load(8306, QStringLiteral("20/06/30"), 1);
    ASSERT_EQ(series.Count, 2);
    EXPECT_EQ(series.Records[0].MarginBuy, 0);
    EXPECT_EQ(series.MaxMargin, Currency());
}

// Averages and RSI of real prices against a plain computation written from the definitions.
TEST_F(LoadChartSeriesTest, AveragesAndRsiMatchAPlainComputationOnRealPrices)
{
    std::vector<PriceRow> rows;
    for (const QString &line : QString::fromLatin1(chart_test_data::RealDaily130).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList f = line.split(QLatin1Char(','));
        PriceRow r;
        r.date = QDate::fromString(f[0], QStringLiteral("yyyy/MM/dd"));
        r.open = f[1].toLongLong();
        r.high = f[2].toLongLong();
        r.low = f[3].toLongLong();
        r.close = f[4].toLongLong();
        r.volume = f[5].toLongLong();
        rows.push_back(r);
    }
    ASSERT_EQ(rows.size(), 130u);
    // Two days without trade inside the window.
    rows[60].close = rows[60].open = rows[60].high = rows[60].low = 0;
    rows[61].close = rows[61].open = rows[61].high = rows[61].low = 0;
    qint64 reference = 0;
    for (PriceRow &r : rows) {
        r.change = r.close != 0 && reference != 0 ? r.close - reference : 0;
        if (r.close != 0)
            reference = r.close;
    }
    {
        db::Database d = open();
        chart_test::insertMei(d, 1301, QStringLiteral("1"), QStringLiteral("1"));
        chart_test::insertRows(d, 1301, rows);
    }
    load(1301, QStringLiteral("18/11/16"));
    ASSERT_EQ(series.Count, 110);
    const size_t first = rows.size() - 110;

    std::vector<double> carried;
    double last = 0;
    for (size_t i = first; i < rows.size(); ++i) {
        if (rows[i].close != 0)
            last = double(rows[i].close);
        carried.push_back(last);
    }
    for (int period : {5, 15, 30}) {
        for (int k = period - 1; k < 110; ++k) {
            double sum = 0;
            int n = 0;
            for (int i = k - period + 1; i <= k; ++i) {
                sum += carried[size_t(i)];
                n += carried[size_t(i)] != 0 ? 1 : 0;
            }
            const double average = std::floor(sum / n + 0.5);
            const ChartRecord &r = series.Records[size_t(k)];
            const Currency &ma = period == 5 ? r.MaShort : period == 15 ? r.MaMiddle
                                                                        : r.MaLong;
            ASSERT_EQ(ma.toDouble(), average) << "period " << period << " index " << k;
            const int deviation = int(std::nearbyint(carried[size_t(k)] / average * 1000.0 - 1000.0));
            const int got = period == 5 ? r.DevShort : period == 15 ? r.DevMiddle
                                                                    : r.DevLong;
            ASSERT_EQ(got, deviation) << "period " << period << " index " << k;
        }
    }
    for (int k = 11; k < 110; ++k) {
        double gains = 0, moves = 0;
        for (int i = k - 11; i <= k; ++i) {
            const double change = double(rows[first + size_t(i)].change);
            gains += change > 0 ? change : 0;
            moves += std::fabs(change);
        }
        const int rsi = moves != 0 ? int(std::nearbyint(gains / moves * 100.0)) : 0;
        ASSERT_EQ(series.Records[size_t(k)].Rsi, rsi) << k;
    }
    EXPECT_EQ(series.Records[10].Rsi, -1);
}
