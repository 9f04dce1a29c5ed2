#include "chart/ChartSeries.h"
#include "chart/Indicators.h"

#include "ChartTestSupport.h"
#include "support/TestSupport.h"

#include "base/MainModule.h"

#include <gtest/gtest.h>

using namespace chart;
using chart_test::PriceRow;
using chart_test::weekdayRows;
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

    // Registers the issue (unless volumeUnit is empty) and stores its rows.
    void store(int code, const std::vector<PriceRow> &rows, bool weekly = false, const QString &volumeUnit = QStringLiteral("1"),
               const QString &priceUnit = QStringLiteral("1"))
    {
        db::Database d(MainModule::DBPath);
        if (!volumeUnit.isEmpty())
            chart_test::insertMei(d, code, volumeUnit, priceUnit);
        chart_test::insertRows(d, code, rows, weekly);
    }

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

// Rows a week apart from the Friday first on.
std::vector<PriceRow> weeklyRows(QDate first, int count, qint64 start)
{
    auto rows = weekdayRows(first, closesFrom(count, start));
    for (size_t i = 0; i < rows.size(); ++i)
        rows[i].date = first.addDays(7 * qint64(i));
    return rows;
}

} // namespace

TEST_F(LoadChartSeriesTest, FewerRowsThanTheSeriesFillTheFrontAndLeaveTheRestZero)
{
    store(1301, weekdayRows(QDate(2020, 3, 2), closesFrom(40, 500)));
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
    store(7203, weekdayRows(QDate(2019, 6, 3), closesFrom(200, 1000)));
    load(7203, QStringLiteral("20/02/08")); // a Saturday: the newest record is Friday's row
    EXPECT_EQ(series.Count, 110);
    EXPECT_EQ(series.CenterIndex, 55);
    EXPECT_EQ(series.Records[109].Date, QDate(2020, 2, 7));
    EXPECT_EQ(series.Records[0].Date, QDate(2019, 9, 9)); // 110 weekdays back, inclusive
}

TEST_F(LoadChartSeriesTest, NoTradeRowsCarryThePreviousClose)
{
    store(1332, weekdayRows(QDate(2020, 6, 1), {0, 300, 0, 0, 310}));
    load(1332, QStringLiteral("20/06/30"));
    ASSERT_EQ(series.Count, 5);
    const qint64 expected[] = {0, 300, 300, 300, 310};
    for (int k = 0; k < 5; ++k)
        EXPECT_EQ(series.Records[k].CloseCarried, Currency::fromInt(expected[k])) << k;
    EXPECT_TRUE(series.Records[2].Close.isZero());
}

TEST_F(LoadChartSeriesTest, UnitsScalePricesAndVolumes)
{
    auto rows = weekdayRows(QDate(2020, 6, 1), {120, 123});
    rows[1].open = 121;
    rows[1].high = 125;
    rows[1].low = 119;
    rows[1].volume = 57;
    store(9984, rows, false, QStringLiteral("1000"), QStringLiteral("10"));
    load(9984, QStringLiteral("20/06/30"));
    ASSERT_EQ(series.Count, 2);
    const ChartRecord &r = series.Records[1];
    EXPECT_EQ(r.Open, Currency::fromInt(1210));
    EXPECT_EQ(r.High, Currency::fromInt(1250));
    EXPECT_EQ(r.Low, Currency::fromInt(1190));
    EXPECT_EQ(r.Close, Currency::fromInt(1230));
    EXPECT_EQ(r.Change, Currency::fromInt(30));
    EXPECT_EQ(r.Volume, 57000);
    EXPECT_EQ(series.ChartTop, Currency::fromInt(1260));
}

TEST_F(LoadChartSeriesTest, MissingOrBadUnitsReadAsZeroAndOverflowingVolumesSaturate)
{
    auto rows = weekdayRows(QDate(2020, 6, 1), {100, 101});
    rows[1].volume = 5000;
    store(1111, rows, false, QStringLiteral("null"), QStringLiteral("null"));
    store(2222, rows, false, QStringLiteral("2000000000"));
    store(3333, rows, false, QString()); // not in Mei
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

TEST_F(LoadChartSeriesTest, NothingBeforeTheBaseDateIsReportedOnceAndAnInvalidDateBecomesToday)
{
    store(1301, weekdayRows(QDate(2020, 6, 1), {100, 101, 102}));
    load(1301, QStringLiteral("20/05/29"));
    EXPECT_EQ(series.Count, 0);
    EXPECT_EQ(prompt.messages(), QStringList{QStringLiteral("基準日からの表示するデーターがありません。")});
    // The scroll bar was still calibrated on the issue's rows (fewer than a chart: from the first).
    EXPECT_EQ(scroll.OldestBaseDate, QDate(2020, 6, 1));

    load(1301, QStringLiteral("20/13/45"));
    EXPECT_EQ(chartDate, QStringLiteral("20/06/30"));
    EXPECT_EQ(series.Count, 3);
    EXPECT_EQ(prompt.messages().size(), 1);
}

TEST_F(LoadChartSeriesTest, CalibrationIsReusedForTheSameIssueAndModeOnlyAndCollapsesPastToday)
{
    store(1301, weekdayRows(QDate(2019, 1, 1), closesFrom(150, 400)));
    store(1301, weeklyRows(QDate(2019, 1, 4), 3, 400), true, QString());
    load(1301, QStringLiteral("20/06/30"));
    const QDate oldest(2019, 6, 3); // the 110th oldest weekday row from 2019-01-01
    EXPECT_EQ(scroll.OldestBaseDate, oldest);
    EXPECT_EQ(scroll.SmallChange, 83); // 32767 over the 393 days to today

    // A reload of the same issue in the same mode leaves the calibration alone.
    scroll.OldestBaseDate = QDate(2000, 1, 1);
    load(1301, QStringLiteral("20/03/02"));
    EXPECT_EQ(scroll.OldestBaseDate, QDate(2000, 1, 1));

    // Weekly mode recalibrates: with only 3 weekly rows the range reaches back to the first, so
    // a short history still scrolls.
    load(1301, QStringLiteral("20/03/02"), 2);
    EXPECT_EQ(scroll.OldestBaseDate, QDate(2019, 1, 4));
    EXPECT_LT(scroll.SmallChange, 32767);

    // Rows reaching past today collapse the steps.
    store(7203, weekdayRows(QDate(2020, 6, 1), closesFrom(120, 400)));
    load(7203, QStringLiteral("20/06/30"));
    EXPECT_EQ(scroll.OldestBaseDate, clock.today());
    EXPECT_EQ(scroll.SmallChange, 32767);
    EXPECT_EQ(scroll.LargeChange, 32767);
}

TEST_F(LoadChartSeriesTest, WeeklySeriesCarryMarginBalances)
{
    auto weeks = weeklyRows(QDate(2020, 1, 3), 4, 600);
    for (size_t i = 0; i < weeks.size(); ++i) {
        weeks[i].sell = i == 1 ? 0 : 1000 + qint64(i);
        weeks[i].buy = 5000 + qint64(i);
    }
    store(8306, weeks, true);
    store(8306, weekdayRows(QDate(2020, 1, 6), {600, 601}), false, QString());
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
