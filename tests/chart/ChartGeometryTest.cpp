#include "chart/ChartGeometry.h"
#include "chart/ChartSeries.h"

#include <gtest/gtest.h>

using namespace chart;

TEST(ChartGeometry, PriceFactorKeepsThreeDigitsOfTheRange)
{
    ChartSeries s;
    s.clear();
    s.ChartTop = Currency::fromInt(1250);
    s.ChartBottom = Currency::fromInt(980);
    s.MaxVolume = Currency::fromInt(57000);
    const ChartGeometry g(s, 1);
    EXPECT_DOUBLE_EQ(g.priceFactor(), 0.948);
    EXPECT_DOUBLE_EQ(g.yPrice(Currency::fromInt(1250)), 100.0);
    EXPECT_NEAR(g.yPrice(Currency::fromInt(980)), 355.96, 1e-9);
    // 57000 has 5 characters: nearest(100000 * 80 / 57000) = 140.
    EXPECT_EQ(g.volumeScale().count, 140);
    EXPECT_NEAR(g.yVolume(57000), 436.0 - 0.0014 * 57000, 1e-9);
    EXPECT_FALSE(g.hasMarginScale()); // daily
}

TEST(ChartGeometry, MarginFactorOnlyOnWeeklyChartsWithBalances)
{
    ChartSeries s;
    s.clear();
    s.ChartTop = Currency::fromInt(700);
    s.ChartBottom = Currency::fromInt(600);
    s.MaxVolume = Currency::fromInt(1000);
    s.MaxMargin = Currency::fromInt(2000);
    const ChartGeometry weekly(s, 2);
    ASSERT_TRUE(weekly.hasMarginScale());
    // nearest(80 / (2000 * 1.05) * 10^4) = 381.
    EXPECT_EQ(weekly.marginScale().count, 381);
    EXPECT_NEAR(weekly.yMargin(1000), 436.0 - 38.1, 1e-9);
    s.MaxMargin = Currency();
    EXPECT_FALSE(ChartGeometry(s, 2).hasMarginScale());
}

TEST(ChartGeometry, ARangeWithAFractionKeepsTheFactorInSixteenBits)
{
    struct Case
    {
        Currency range;
        int count;
        int digits;
    };
    // "12.5" has 4 characters; 10^4 * 256 / 12.5 = 204800 does not fit, 10^3 gives 20480.
    for (const Case &c : {Case{Currency::fromDouble(12.5), 20480, 3}, Case{Currency::fromInt(270), 948, 3},
                          Case{Currency::fromDouble(0.0001), 32767, 0}, Case{Currency::fromInt(10), 2560, 2}}) {
        const ScaleFactor f = makeScaleFactor(c.range, 256.0);
        EXPECT_EQ(f.count, c.count) << c.range.toString().toStdString();
        EXPECT_EQ(f.digits, c.digits) << c.range.toString().toStdString();
    }
}

TEST(ChartGeometry, ColoursAreBlueGreenRed)
{
    EXPECT_EQ(colorFromBgr(0xFFC0C0), QColor(0xC0, 0xC0, 0xFF));
    EXPECT_EQ(colorFromBgr(0x0080FF), QColor(255, 128, 0));
}

// Scroll arithmetic: the date of a value and the one-day step over weekends.
class ScrollArithmetic : public ::testing::Test
{
protected:
    void SetUp() override
    {
        scroll.OldestBaseDate = QDate(2020, 1, 1);
        scroll.NewestDate = QDate(2020, 12, 31);
        setScrollSteps(scroll);
    }
    ScrollCalibration scroll;
};

TEST_F(ScrollArithmetic, StepsFollowTheRangeInDays)
{
    struct Case
    {
        QDate newest;
        int small, large;
    };
    // 365 days: 32767 / 365 = 89.77 and five times that; short ranges stop at the maximum.
    for (const Case &c : {Case{QDate(2020, 12, 31), 90, 449}, Case{QDate(2020, 1, 8), 4681, 23405},
                          Case{QDate(2020, 1, 4), 10922, 32767}, Case{QDate(2020, 1, 1), 32767, 32767}}) {
        scroll.NewestDate = c.newest;
        setScrollSteps(scroll);
        EXPECT_EQ(scroll.SmallChange, c.small) << c.newest.toString().toStdString();
        EXPECT_EQ(scroll.LargeChange, c.large) << c.newest.toString().toStdString();
    }
}

TEST_F(ScrollArithmetic, DateOfAValueIsCutToTheWholeDayAndADateRoundTrips)
{
    EXPECT_EQ(dateOfScrollValue(scroll, 0), QDate(2020, 1, 1));
    EXPECT_EQ(dateOfScrollValue(scroll, 32767), QDate(2020, 12, 31));
    EXPECT_EQ(dateOfScrollValue(scroll, 16383), QDate(2020, 7, 1)); // 182.49 days
    EXPECT_EQ(dateOfScrollValue(scroll, 359), QDate(2020, 1, 4)); // 3.9988 days

    // And the value of a date gives the date back.
    for (const QDate end : {QDate(2020, 12, 31), QDate(2020, 1, 9), QDate(2109, 1, 1)}) {
        scroll.NewestDate = end;
        for (QDate d = scroll.OldestBaseDate; d <= end; d = d.addDays(1 + d.daysTo(end) / 500))
            ASSERT_EQ(dateOfScrollValue(scroll, scrollValueOfDate(scroll, d)), d) << d.toString().toStdString();
    }
    EXPECT_EQ(scrollValueOfDate(scroll, QDate(2019, 5, 1)), 0);
    EXPECT_EQ(scrollValueOfDate(scroll, QDate(2200, 5, 1)), 32767);
}

TEST_F(ScrollArithmetic, ArrowClicksCarryOverTheWeekend)
{
    struct Case
    {
        int last, value, expected;
        QDate expectedDate;
    };
    for (const Case &c : {Case{210, 300, 480, QDate(2020, 1, 6)}, // right onto Saturday the 4th: on to Monday
                          Case{390, 300, 120, QDate(2020, 1, 2)}, // left onto Saturday: back to Thursday
                          Case{490, 400, 400, QDate(2020, 1, 5)}, // left onto Sunday: stays
                          Case{5, 95, 95, QDate(2020, 1, 2)}, // right onto a Thursday: unchanged
                          Case{0, 300, 300, QDate(2020, 1, 4)}}) { // not an arrow click: not carried
        const int v = adjustedScrollValue(scroll, c.last, c.value);
        EXPECT_EQ(v, c.expected) << c.last << " -> " << c.value;
        EXPECT_EQ(dateOfScrollValue(scroll, v), c.expectedDate) << c.last << " -> " << c.value;
    }
    // A right step past the end stops at the maximum.
    scroll.NewestDate = QDate(2021, 1, 3); // a Sunday
    setScrollSteps(scroll);
    EXPECT_EQ(adjustedScrollValue(scroll, 32767 - scroll.SmallChange, 32767), 32767);
}
