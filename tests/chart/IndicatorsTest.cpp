#include "chart/Indicators.h"

#include "ChartTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using chart::ChartSeries;
using chart::ComputeIndicators;
using chart::IndicatorSettings;
using chart_test::seriesOf;

namespace {

std::vector<qint64> linear(int count, qint64 start, qint64 step)
{
    std::vector<qint64> v;
    for (int i = 0; i < count; ++i)
        v.push_back(start + step * i);
    return v;
}

IndicatorSettings settings(int m1, int m2, int m3, int saico, int rsivr, int ito = 1)
{
    IndicatorSettings s;
    s.move1 = m1;
    s.move2 = m2;
    s.move3 = m3;
    s.SaicoL = saico;
    s.RSIVR = rsivr;
    s.ITORSO = ito;
    return s;
}

Currency money(double v)
{
    return Currency::fromDouble(v);
}

} // namespace

TEST(Indicators, AveragesStartAfterTheirPeriodAndSlopesAfterTwice)
{
    ChartSeries s = seriesOf(linear(110, 1000, 10));
    ComputeIndicators(s, settings(5, 15, 30, 12, 12));
    const auto sign = [](const Currency &c) { return c > Currency() ? 1 : c.isZero() ? 0
                                                                                     : -1; };
    for (int k = 0; k < 110; ++k) {
        const chart::ChartRecord &r = s.Records[k];
        EXPECT_EQ(r.MaShort.isZero(), k < 4) << k;
        EXPECT_EQ(r.MaMiddle.isZero(), k < 14) << k;
        EXPECT_EQ(r.MaLong.isZero(), k < 29) << k;
        EXPECT_EQ(sign(r.SlopeShort), k >= 10 ? 1 : 0) << k;
        EXPECT_EQ(sign(r.SlopeMiddle), k >= 30 ? 1 : 0) << k;
        EXPECT_EQ(sign(r.SlopeLong), k >= 60 ? 1 : 0) << k;
    }
    // A linear close makes an average the close of the middle of its window.
    EXPECT_EQ(s.Records[4].MaShort, Currency::fromInt(1020));
    EXPECT_EQ(s.Records[109].MaShort, Currency::fromInt(1000 + 10 * 107));
    EXPECT_EQ(s.Records[14].MaMiddle, Currency::fromInt(1070));
    EXPECT_EQ(s.Records[29].MaLong, Currency::fromInt(1000 + 145));
}

TEST(Indicators, NotAvailableMarkersCoverThePeriodLessOne)
{
    ChartSeries s = seriesOf(linear(110, 1000, 10));
    ComputeIndicators(s, settings(5, 15, 30, 9, 14));
    for (int k = 0; k < 110; ++k) {
        EXPECT_EQ(std::min<int>(s.Records[k].Psychological, 0), k < 8 ? -1 : 0) << k;
        EXPECT_EQ(std::min<int>(s.Records[k].Rsi, 0), k < 13 ? -1 : 0) << k;
        EXPECT_EQ(std::min<int>(s.Records[k].Vr, 0), k < 13 ? -1 : 0) << k;
    }
}

TEST(Indicators, RisingClosesGiveFullOscillatorsOnceTheFirstFlatDayLeaves)
{
    ChartSeries s = seriesOf(linear(40, 1000, 10));
    ComputeIndicators(s, settings(5, 15, 30, 12, 12));
    // Index 11: the window still holds the first record, whose change is 0.
    EXPECT_EQ(s.Records[11].Psychological, 92); // 11 / 12
    EXPECT_EQ(s.Records[11].Rsi, 100);
    EXPECT_EQ(s.Records[11].Vr, 96); // (11000 + 500) / 12000
    EXPECT_EQ(s.Records[12].Psychological, 100);
    EXPECT_EQ(s.Records[12].Vr, 100);

    // Gains of 20 and losses of 10 in turn: RSI is the share of the gains in all moves.
    std::vector<qint64> zigzag{1000};
    for (int i = 1; i < 20; ++i)
        zigzag.push_back(zigzag.back() + (i % 2 != 0 ? 20 : -10));
    s = seriesOf(zigzag);
    ComputeIndicators(s, settings(5, 15, 30, 12, 12));
    EXPECT_EQ(s.Records[11].Rsi, 71); // 120 / 170
    EXPECT_EQ(s.Records[12].Rsi, 67); // 120 / 180
}

TEST(Indicators, DeviationIsInTenthsOfAPercent)
{
    ChartSeries s = seriesOf({975, 975, 975, 975, 1100, 900});
    ComputeIndicators(s, settings(5, 15, 30, 12, 12));
    EXPECT_EQ(s.Records[4].MaShort, Currency::fromInt(1000));
    EXPECT_EQ(s.Records[4].DevShort, 100);
    // Window 975 x3, 1100, 900: average 985, 900 / 985 = -8.6 %.
    EXPECT_EQ(s.Records[5].MaShort, Currency::fromInt(985));
    EXPECT_EQ(s.Records[5].DevShort, -86);
}

TEST(Indicators, LeadingZeroClosesAreLeftOutOfTheAverage)
{
    ChartSeries s = seriesOf({0, 0, 0, 100, 110, 120, 0, 130});
    ComputeIndicators(s, settings(5, 15, 30, 12, 12));
    EXPECT_EQ(s.Records[4].MaShort, Currency::fromInt(105));
    // Index 6 has no trade: its carried close 120 counts.
    EXPECT_EQ(s.Records[6].CloseCarried, Currency::fromInt(120));
    EXPECT_EQ(s.Records[6].MaShort, Currency::fromInt(Rounding::Fix((100 + 110 + 120 + 120) / 4.0 + 0.5)));
    EXPECT_EQ(s.Records[7].MaShort, Currency::fromInt(Rounding::Fix((110 + 120 + 120 + 130 + 100) / 5.0 + 0.5)));
}

TEST(Indicators, PriceAxisRoundsOutToTens)
{
    struct Case
    {
        qint64 high, low, top, bottom;
    };
    for (const Case &c : {Case{1234, 987, 1240, 980}, Case{1240, 980, 1250, 980}, Case{9, 5, 10, 0}}) {
        ChartSeries s = seriesOf(std::vector<qint64>(20, c.low + 1));
        s.Records[7].High = Currency::fromInt(c.high);
        s.Records[3].Low = Currency::fromInt(c.low);
        ComputeIndicators(s, settings(5, 15, 30, 12, 12));
        EXPECT_EQ(s.MaxHigh, Currency::fromInt(c.high));
        EXPECT_EQ(s.MinLow, Currency::fromInt(c.low));
        EXPECT_EQ(s.ChartTop, Currency::fromInt(c.top)) << c.high;
        EXPECT_EQ(s.ChartBottom, Currency::fromInt(c.bottom)) << c.low;
    }
}

TEST(Indicators, ExtremesSkipZeroLowsAndFollowTheLargerMarginSide)
{
    ChartSeries s = seriesOf({500, 0, 520, 510});
    s.Records[0].MarginSell = 300;
    s.Records[0].MarginBuy = 100;
    s.Records[2].MarginSell = 200;
    s.Records[2].MarginBuy = 250;
    s.Records[3].Volume = 7000;
    ComputeIndicators(s, settings(5, 15, 30, 12, 12));
    EXPECT_EQ(s.MinLow, Currency::fromInt(500));
    EXPECT_EQ(s.MaxHigh, Currency::fromInt(520));
    EXPECT_EQ(s.MaxVolume, Currency::fromInt(7000));
    EXPECT_EQ(s.MaxMargin, Currency::fromInt(300));
}

TEST(Indicators, AnglesUseThePricePerPixelAndShiftByTheLargest)
{
    ChartSeries s = seriesOf(linear(110, 1000, 10));
    ComputeIndicators(s, settings(5, 15, 30, 12, 12, 2));
    ASSERT_EQ(s.ChartTop, Currency::fromInt(2100));
    ASSERT_EQ(s.ChartBottom, Currency::fromInt(1000));
    const double unit = money(1100.0 / 256.0).toDouble();
    const double pi = 4.0 * std::atan(1.0);
    // The short slope is 50 over 5 records, the middle one 150 over 15: the same angle.
    const Currency angle = money(std::atan(50.0 / (5.0 * unit * 5.0)) * 180.0 / pi);
    EXPECT_EQ(s.Records[10].SlopeShort, angle + angle);
    EXPECT_EQ(s.Records[109].SlopeShort, angle + angle);
    EXPECT_EQ(s.Records[30].SlopeMiddle, angle + angle);
    // The middle average drives the Ito ratio: 0 up to position 30.
    EXPECT_EQ(s.ItoMaxAngle, angle);
    EXPECT_TRUE(s.Records[29].ItoRatio.isZero());
    EXPECT_EQ(s.Records[30].ItoRatio, angle + angle);
}

TEST(Indicators, NoPriceRangeMeansNoAngles)
{
    // Every low above every high: ChartTop 1000 equals ChartBottom 1000.
    ChartSeries s = seriesOf(linear(60, 900, 1));
    for (int k = 0; k < 60; ++k) {
        s.Records[k].High = Currency::fromInt(995);
        s.Records[k].Low = Currency::fromInt(1005);
    }
    ComputeIndicators(s, settings(5, 15, 30, 12, 12));
    ASSERT_EQ(s.ChartTop, s.ChartBottom);
    for (int k = 0; k < 60; ++k) {
        EXPECT_TRUE(s.Records[k].SlopeShort.isZero()) << k;
        EXPECT_TRUE(s.Records[k].ItoRatio.isZero()) << k;
    }
    EXPECT_TRUE(s.ItoMaxAngle.isZero());
    EXPECT_FALSE(s.Records[59].MaShort.isZero());
}

TEST(Indicators, PeriodZeroLeavesItsPassEmptyAndLongPeriodsAreClamped)
{
    ChartSeries s = seriesOf(linear(110, 1000, 3));
    ComputeIndicators(s, settings(5, 0, 500, 0, 12));
    for (int k = 0; k < 110; ++k) {
        EXPECT_TRUE(s.Records[k].MaMiddle.isZero()) << k;
        EXPECT_EQ(s.Records[k].DevMiddle, 0) << k;
        EXPECT_EQ(s.Records[k].Psychological, 0) << k;
    }
    // 500 counts as 110: only the newest record has a long average, the mean of all closes.
    for (int k = 0; k < 109; ++k)
        EXPECT_TRUE(s.Records[k].MaLong.isZero()) << k;
    EXPECT_EQ(s.Records[109].MaLong, Currency::fromInt(Rounding::Fix(1000 + 3 * 54.5 + 0.5)));
}

TEST(Indicators, FewerRecordsThanThePeriodStillFillTheFirstWindowAndNoneComputeWithoutFault)
{
    ChartSeries s = seriesOf({100, 110, 120});
    ComputeIndicators(s, settings(5, 15, 30, 12, 12));
    for (int k = 0; k < 3; ++k)
        EXPECT_TRUE(s.Records[k].MaShort.isZero()) << k;
    // The value of position 5 (beyond Count) holds the mean of the three closes; it is not shown.
    EXPECT_EQ(s.Records[4].MaShort, Currency::fromInt(110));
    EXPECT_EQ(s.Records[0].Rsi, -1);
    EXPECT_EQ(s.MaxHigh, Currency::fromInt(120));
    EXPECT_EQ(s.MinLow, Currency::fromInt(100));

    // An empty series computes without fault.
    s.clear();
    ComputeIndicators(s, settings(110, 110, 110, 110, 110, 3));
    EXPECT_EQ(s.MaxVolume, Currency()); // the first window visited 110 zero records
    EXPECT_TRUE(s.QuadA.isZero());
    EXPECT_TRUE(s.QuadC.isZero());
}

TEST(Indicators, QuadraticCurveRecoversAParabolaAndALine)
{
    struct Case
    {
        int count, centre;
        double a, b, c;
    };
    // close = a + b * x + c * x^2 around the centre record.
    for (const Case &q : {Case{101, 51, 1000, 0, 2}, Case{99, 50, 2000, 3, 0}}) {
        std::vector<qint64> closes;
        for (int p = 1; p <= q.count; ++p)
            closes.push_back(qint64(q.a + q.b * (p - q.centre) + q.c * (p - q.centre) * (p - q.centre)));
        ChartSeries s = seriesOf(closes);
        ComputeIndicators(s, settings(5, 15, 30, 12, 12));
        EXPECT_EQ(s.CenterIndex, q.centre);
        EXPECT_NEAR(s.QuadA.toDouble(), q.a, 1e-3) << q.count;
        EXPECT_NEAR(s.QuadB.toDouble(), q.b, 1e-3) << q.count;
        EXPECT_NEAR(s.QuadC.toDouble(), q.c, 1e-3) << q.count;
    }
}

TEST(Indicators, GiganticPricesSaturateInsteadOfWrapping)
{
    ChartSeries s = seriesOf(std::vector<qint64>(110, 900000000000000LL));
    ComputeIndicators(s, settings(5, 15, 30, 12, 12));
    EXPECT_GT(s.Records[109].MaShort, Currency());
    EXPECT_GT(s.ChartTop, s.ChartBottom);
    EXPECT_GT(s.QuadA, Currency());
}

TEST(Indicators, FlatOrAllZeroClosesGiveRsiZeroAndVrFifty)
{
    for (const qint64 close : {1000, 0}) {
        ChartSeries s = seriesOf(std::vector<qint64>(30, close));
        ComputeIndicators(s, settings(5, 15, 30, 12, 12));
        for (int k = 11; k < 30; ++k) {
            EXPECT_EQ(s.Records[k].Rsi, 0) << k;
            EXPECT_EQ(s.Records[k].Vr, 50) << k;
            EXPECT_EQ(s.Records[k].Psychological, 0) << k;
            EXPECT_EQ(s.Records[k].DevShort, 0) << k;
            EXPECT_TRUE(s.Records[k].ItoRatio.isZero()) << k;
        }
        EXPECT_EQ(s.Records[29].MaShort.isZero(), close == 0);
    }
    // All zero: no non-zero low, so no price axis.
    ChartSeries s = seriesOf(std::vector<qint64>(30, 0));
    ComputeIndicators(s, settings(5, 15, 30, 12, 12));
    EXPECT_EQ(s.MinLow, Currency::fromInt(1000000000));
    EXPECT_LT(s.ChartTop, s.ChartBottom);
}
