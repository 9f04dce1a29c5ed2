#include "chart/ChartSeries.h"
#include "chart/Indicators.h"

#include "ChartTestSupport.h"
#include "support/TestSupport.h"

#include "base/MainModule.h"

#include <gtest/gtest.h>

#include <cmath>

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

// 130 trading days of a real issue in 2018, oldest first: "MMdd,open,high,low,close,volume".
const char *const RealDaily2018 =
    "0511,3775,3810,3770,3805,44100 0514,3800,3845,3795,3810,34000 0515,3820,3855,3820,3845,24600 0516,3825,3845,3800,3815,22300 "
    "0517,3810,3830,3790,3830,14900 0518,3850,3850,3805,3825,26600 0521,3825,3830,3785,3795,14800 0522,3785,3785,3735,3745,16800 "
    "0523,3745,3760,3725,3745,19900 0524,3730,3765,3715,3735,18300 0525,3735,3755,3715,3715,22100 0528,3745,3745,3710,3735,17900 "
    "0529,3735,3780,3725,3775,17000 0530,3730,3850,3710,3835,49600 0531,3835,3845,3775,3780,38000 0601,3795,3795,3745,3755,16300 "
    "0604,3765,3810,3765,3805,13500 0605,3805,3830,3760,3775,13600 0606,3755,3770,3725,3725,18000 0607,3725,3750,3685,3750,33700 "
    "0608,3715,3765,3705,3755,25200 0611,3750,3820,3730,3810,22000 0612,3810,3820,3790,3790,9200 0613,3785,3800,3785,3785,19700 "
    "0614,3780,3800,3775,3780,11200 0615,3780,3785,3755,3760,8300 0618,3780,3780,3710,3720,16700 0619,3710,3710,3645,3660,22100 "
    "0620,3690,3715,3665,3705,18800 0621,3680,3700,3665,3680,14700 0622,3650,3660,3610,3640,26400 0625,3640,3640,3570,3590,27200 "
    "0626,3570,3625,3535,3615,21800 0627,3610,3655,3555,3630,22200 0628,3615,3615,3555,3605,21800 0629,3650,3650,3575,3595,18200 "
    "0702,3600,3600,3510,3520,29200 0703,3550,3560,3525,3540,23000 0704,3505,3595,3495,3575,38400 0705,3550,3560,3465,3470,23300 "
    "0706,3465,3475,3405,3435,32700 0709,3470,3485,3445,3480,20500 0710,3490,3490,3405,3405,24600 0711,3405,3420,3380,3380,20300 "
    "0712,3370,3415,3365,3400,12500 0713,3430,3460,3405,3460,13500 0717,3445,3525,3440,3485,18900 0718,3515,3525,3500,3505,7800 "
    "0719,3500,3530,3495,3505,10100 0720,3545,3560,3500,3535,13600 0723,3550,3575,3515,3530,26200 0724,3515,3615,3515,3565,19500 "
    "0725,3570,3590,3565,3570,11500 0726,3570,3620,3570,3590,11500 0727,3615,3615,3580,3585,10500 0730,3570,3575,3550,3570,10300 "
    "0731,3530,3560,3475,3480,33600 0801,3575,3575,3450,3470,22800 0802,3470,3485,3435,3435,13500 0803,3420,3445,3215,3260,61700 "
    "0806,3215,3300,3215,3265,22800 0807,3305,3410,3270,3405,33300 0808,3370,3395,3305,3315,24700 0809,3300,3310,3275,3300,15000 "
    "0810,3325,3325,3275,3290,20500 0813,3290,3305,3225,3240,29600 0814,3270,3320,3265,3295,12800 0815,3295,3315,3255,3275,8100 "
    "0816,3270,3270,3210,3255,17000 0817,3240,3275,3235,3270,11000 0820,3290,3290,3250,3255,13800 0821,3230,3265,3220,3245,15700 "
    "0822,3245,3295,3245,3290,12400 0823,3280,3280,3250,3250,10400 0824,3250,3265,3250,3260,6800 0827,3260,3260,3215,3225,33200 "
    "0828,3240,3260,3225,3225,17800 0829,3225,3235,3215,3220,16700 0830,3240,3255,3195,3195,29900 0831,3210,3210,3140,3145,48400 "
    "0903,3150,3150,3100,3115,31700 0904,3130,3240,3120,3200,35700 0905,3180,3215,3180,3215,14300 0906,3195,3195,3115,3120,30000 "
    "0907,3120,3145,3085,3115,30900 0910,3120,3150,3095,3130,26100 0911,3125,3130,3075,3095,29000 0912,3105,3110,3070,3095,19600 "
    "0913,3105,3160,3100,3140,32100 0914,3190,3195,3165,3185,29500 0918,3185,3280,3180,3280,33700 0919,3330,3350,3295,3330,32700 "
    "0920,3350,3350,3300,3320,16700 0921,3340,3340,3265,3310,39400 0925,3300,3385,3300,3385,25600 0926,3420,3495,3410,3485,35000 "
    "0927,3445,3500,3390,3395,19500 0928,3440,3445,3395,3400,11800 1001,3415,3445,3380,3380,14000 1002,3385,3415,3360,3365,12800 "
    "1003,3360,3370,3340,3340,14900 1004,3340,3365,3320,3330,9300 1005,3300,3340,3300,3315,12600 1009,3295,3295,3230,3245,15000 "
    "1010,3235,3325,3235,3300,13600 1011,3190,3225,3175,3195,28100 1012,3170,3205,3145,3175,25800 1015,3185,3185,3115,3115,22700 "
    "1016,3110,3125,3080,3120,19600 1017,3150,3165,3115,3135,23300 1018,3135,3170,3135,3145,12200 1019,3145,3145,3100,3110,24000 "
    "1022,3120,3140,3100,3110,24400 1023,3120,3120,3055,3055,38100 1024,3065,3155,3060,3145,23100 1025,3085,3085,3025,3030,39700 "
    "1026,3080,3080,3015,3070,33100 1030,2995,3025,2981,3005,27400 1101,3100,3105,3070,3090,16000 1102,3100,3130,3055,3110,31900 "
    "1105,3100,3100,3015,3025,38500 1106,3015,3115,3010,3045,30700 1107,3045,3080,3010,3020,35000 1108,3060,3085,3050,3065,18300 "
    "1109,3055,3100,3045,3055,29300 1112,3065,3175,3065,3160,39400 1113,3090,3100,3030,3040,35700 1114,3050,3060,3000,3010,51200 "
    "1115,3005,3025,2995,3015,33900 1116,3025,3025,3005,3010,36500";

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

TEST_F(LoadChartSeriesTest, CalibrationIsReusedForTheSameIssueAndModeOnly)
{
    store(1301, weekdayRows(QDate(2019, 1, 1), closesFrom(150, 400)));
    store(1301, weeklyRows(QDate(2019, 1, 4), 3, 400), true, QString());
    load(1301, QStringLiteral("20/06/30"));
    const QDate oldest(2019, 6, 3); // the 110th oldest weekday row from 2019-01-01
    EXPECT_EQ(scroll.OldestBaseDate, oldest);
    const qint64 days = oldest.daysTo(clock.today());
    EXPECT_EQ(scroll.SmallChange, int(std::nearbyint(32767.0 / double(days))));
    EXPECT_EQ(scroll.LargeChange, int(std::nearbyint(32767.0 / double(days) * 5.0)));

    // A reload of the same issue in the same mode leaves the calibration alone.
    scroll.OldestBaseDate = QDate(2000, 1, 1);
    load(1301, QStringLiteral("20/03/02"));
    EXPECT_EQ(scroll.OldestBaseDate, QDate(2000, 1, 1));

    // Weekly mode recalibrates: with only 3 weekly rows the range reaches back to the first, so
    // a short history still scrolls.
    load(1301, QStringLiteral("20/03/02"), 2);
    EXPECT_EQ(scroll.OldestBaseDate, QDate(2019, 1, 4));
    EXPECT_LT(scroll.SmallChange, 32767);
}

TEST_F(LoadChartSeriesTest, ARangeEndingAfterTodayCollapsesTheScrollSteps)
{
    store(1301, weekdayRows(QDate(2020, 6, 1), closesFrom(120, 400)));
    load(1301, QStringLiteral("20/06/30"));
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

// Averages, deviations and RSI of real prices against a plain computation from the definitions.
TEST_F(LoadChartSeriesTest, AveragesAndRsiMatchAPlainComputationOnRealPrices)
{
    std::vector<PriceRow> rows;
    for (const QString &day : QString::fromLatin1(RealDaily2018).split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QStringList f = day.split(QLatin1Char(','));
        rows.push_back({QDate::fromString(QStringLiteral("2018") + f[0], QStringLiteral("yyyyMMdd")), f[1].toLongLong(),
                        f[2].toLongLong(), f[3].toLongLong(), f[4].toLongLong(), 0, f[5].toLongLong()});
    }
    ASSERT_EQ(rows.size(), 130u);
    rows[60].close = rows[60].open = rows[60].high = rows[60].low = 0; // two days without trade in the window
    rows[61].close = rows[61].open = rows[61].high = rows[61].low = 0;
    qint64 reference = 0;
    for (PriceRow &r : rows) {
        r.change = r.close != 0 && reference != 0 ? r.close - reference : 0;
        if (r.close != 0)
            reference = r.close;
    }
    store(1301, rows);
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
            const Currency &ma = period == 5 ? r.MaShort : period == 15 ? r.MaMiddle : r.MaLong;
            ASSERT_EQ(ma.toDouble(), average) << "period " << period << " index " << k;
            const int deviation = int(std::nearbyint(carried[size_t(k)] / average * 1000.0 - 1000.0));
            ASSERT_EQ(period == 5 ? r.DevShort : period == 15 ? r.DevMiddle : r.DevLong, deviation)
                << "period " << period << " index " << k;
        }
    }
    for (int k = 11; k < 110; ++k) {
        double gains = 0, moves = 0;
        for (int i = k - 11; i <= k; ++i) {
            const double change = double(rows[first + size_t(i)].change);
            gains += change > 0 ? change : 0;
            moves += std::fabs(change);
        }
        ASSERT_EQ(series.Records[size_t(k)].Rsi, moves != 0 ? int(std::nearbyint(gains / moves * 100.0)) : 0) << k;
    }
    EXPECT_EQ(series.Records[10].Rsi, -1);
}
