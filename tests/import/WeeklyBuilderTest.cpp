// The weekly builder: week breaks, Friday dating, changes against the previous week, margins, progress.

#include "ImportFixture.h"

#include "import/WeeklyBuilder.h"

using namespace import_test;

namespace {

const QDate Mon1(2000, 7, 3), Fri1(2000, 7, 7), Mon2(2000, 7, 10), Fri2(2000, 7, 14), Mon3(2000, 7, 17), Fri3(2000, 7, 21);

class WeeklyBuilderTest : public ImportFixture
{
protected:
    void day(qint64 code, const QDate &date, qint64 open, qint64 high, qint64 low, qint64 close, qint64 volume)
    {
        addPrice(QStringLiteral("daydata"), code, date, open, high, low, close, volume);
    }
    void build(const QDate &from, const QDate &to) { importer::BuildWeeklyData(from, to, progress); }
    std::optional<PriceRow> week(qint64 code, const QDate &friday) { return priceRow(QStringLiteral("weekdata"), code, friday); }
};

TEST_F(WeeklyBuilderTest, AggregatesAWeekFromItsTradedDays)
{
    addIssue(1301, 1, QStringLiteral("極洋"));
    day(1301, Mon1, 0, 0, 0, 0, 0); // no trade: adds nothing but its date
    day(1301, Mon1.addDays(1), 100, 120, 90, 110, 1000);
    day(1301, Mon1.addDays(2), 111, 130, 0, 0, 500); // zero close: not counted
    day(1301, Mon1.addDays(3), 109, 115, 80, 112, 2000);
    build(Mon1, Fri1);
    auto w = week(1301, Fri1);
    ASSERT_TRUE(w);
    EXPECT_EQ(w->open, 100);
    EXPECT_EQ(w->high, 120);
    EXPECT_EQ(w->low, 80);
    EXPECT_EQ(w->close, 112);
    EXPECT_EQ(w->volume, QStringLiteral("3000"));
    EXPECT_EQ(changeOf(QStringLiteral("weekdata"), 1301, Fri1), Change(0, 112)) << "the first week of an issue";
    EXPECT_EQ(count(QStringLiteral("weekdata")), 1);
}

struct WeekBreakCase
{
    const char *name;
    QList<QDate> days;
    QList<QDate> fridays;
};

class WeekBreakTest : public WeeklyBuilderTest, public ::testing::WithParamInterface<WeekBreakCase>
{
};

TEST_P(WeekBreakTest, AWeekEndsOnlyWhereTheWeekdayFalls)
{
    addIssue(1301, 1, QStringLiteral("極洋"));
    int price = 100;
    for (const QDate &d : GetParam().days)
        day(1301, d, price, price, price, price, 100), ++price;
    build(Mon1, Fri3.addDays(1));
    EXPECT_EQ(dates(QStringLiteral("weekdata"), 1301), GetParam().fridays);
}

INSTANTIATE_TEST_SUITE_P(
    Weeks, WeekBreakTest,
    ::testing::Values(
        WeekBreakCase{"MissingMondayAndTuesday", {Mon1.addDays(2), Mon1.addDays(3), Fri1}, {Fri1}},
        WeekBreakCase{"SaturdayStaysInItsWeekAndIsDatedOnTheNextFriday", {Mon1.addDays(3), Fri1, Fri1.addDays(1)}, {Fri2}},
        WeekBreakCase{"WednesdayThenNextThursdayIsOneWeek", {Mon1.addDays(2), Mon2.addDays(3)}, {Fri2}},
        WeekBreakCase{"TwoMondaysAWeekApartAreOneWeek", {Mon1, Mon2}, {Fri2}},
        WeekBreakCase{"ThreeFullWeeks", {Mon1, Fri1, Mon2, Fri2, Mon3.addDays(1), Fri3}, {Fri1, Fri2, Fri3}},
        WeekBreakCase{"FridayThenMonday", {Fri1, Mon2}, {Fri1, Fri2}}),
    [](const ::testing::TestParamInfo<WeekBreakCase> &info) { return std::string(info.param.name); });

TEST_F(WeeklyBuilderTest, ChangesRunAgainstTheCarriedReferenceThroughAZeroCloseWeek)
{
    addIssue(1301, 1, QStringLiteral("極洋"));
    addPrice(QStringLiteral("weekdata"), 1301, Fri1.addDays(-7), 90, 90, 90, 90, 100, 0, 95);
    day(1301, Mon1.addDays(2), 100, 105, 99, 100, 100);
    day(1301, Mon2, 0, 0, 0, 0, 0);
    day(1301, Fri2, 0, 0, 0, 0, 0);
    day(1301, Mon3, 108, 112, 107, 110, 100);
    build(Mon1, Fri3);

    const QString weekly = QStringLiteral("weekdata");
    EXPECT_EQ(changeOf(weekly, 1301, Fri1), Change(5, 100)); // against the stored week before the period
    auto w2 = week(1301, Fri2);
    ASSERT_TRUE(w2);
    EXPECT_EQ(w2->open + w2->high + w2->low + w2->close, 0);
    EXPECT_EQ(w2->volume, QStringLiteral("0"));
    EXPECT_EQ(changeOf(weekly, 1301, Fri2), Change(0, 100));
    EXPECT_EQ(changeOf(weekly, 1301, Fri3), Change(10, 110));
}

TEST_F(WeeklyBuilderTest, RebuildingAMiddleWeekKeepsTheOthersAndLinksToThePreviousWeek)
{
    addIssue(1301, 1, QStringLiteral("極洋"));
    // Friday, Thursday, Wednesday: each weekday falls, so each is its own week.
    day(1301, Fri1, 100, 100, 100, 100, 100);
    day(1301, Mon2.addDays(3), 120, 120, 120, 120, 100);
    day(1301, Mon3.addDays(2), 130, 130, 130, 130, 100);
    build(Mon1, Fri3);
    execute(QStringLiteral("update daydata set 終値=125 where 日付=#2000/07/13#"));
    execute(QStringLiteral("update weekdata set 前日比=999 where 日付=#2000/07/21#"));
    build(Mon2, Fri2);
    EXPECT_EQ(week(1301, Fri2)->change, 25);
    EXPECT_EQ(week(1301, Fri2)->close, 125);
    EXPECT_EQ(week(1301, Fri3)->change, 999);
    EXPECT_EQ(week(1301, Fri1)->close, 100);
    EXPECT_EQ(count(QStringLiteral("weekdata")), 3);
}

TEST_F(WeeklyBuilderTest, WeeksTakeTheirMarginProductsOrZero)
{
    addIssue(1301, 1, QStringLiteral("極洋"));
    addIssue(1332, 1, QStringLiteral("日本水産"));
    day(1301, Mon1, 100, 100, 100, 100, 100);
    day(1332, Mon1, 100, 100, 100, 100, 100);
    execute(QStringLiteral("insert into ShinYo (コード, 日付, 売残, 買残, 単位) values (1301, #2000/07/07#, 3, 4, 1000)"));
    execute(QStringLiteral("insert into ShinYo (コード, 日付, 売残, 買残, 単位) values (1332, #2000/07/14#, 3, 4, 1000)"));
    build(Mon1, Fri1);
    EXPECT_EQ(week(1301, Fri1)->sell, 3000);
    EXPECT_EQ(week(1301, Fri1)->buy, 4000);
    EXPECT_EQ(week(1332, Fri1)->sell, 0);
    EXPECT_EQ(week(1332, Fri1)->buy, 0);
}

TEST_F(WeeklyBuilderTest, BalancesBeyond32BitsAreHeldAtTheLimitAndAFailedBuildKeepsThePreviousWeeks)
{
    addIssue(1301, 1, QStringLiteral("極洋"));
    addIssue(1332, 1, QStringLiteral("日本水産"));
    day(1301, Mon2, 100, 100, 100, 100, 100);
    execute(QStringLiteral("insert into ShinYo (コード, 日付, 売残, 買残, 単位) values (1301, #2000/07/14#, 3000000, -3000000, 1000)"));
    build(Mon2, Fri2);
    EXPECT_EQ(week(1301, Fri2)->sell, 2147483647);
    EXPECT_EQ(week(1301, Fri2)->buy, -2147483647 - 1);

    // 1332's change against its previous week does not fit the column: the build fails after
    // 1301's week was deleted and written again, and the period is left as it was.
    addPrice(QStringLiteral("weekdata"), 1332, Fri1, 1, 1, 1, -2147483647 - 1, 1, 0, -2147483647 - 1);
    day(1332, Mon2, 2147483647, 2147483647, 2147483647, 2147483647, 100);
    execute(QStringLiteral("update daydata set 終値=200 where コード=1301"));
    EXPECT_THROW(build(Mon2, Fri2), db::DbError);
    EXPECT_EQ(week(1301, Fri2)->close, 100);
    EXPECT_EQ(week(1301, Fri2)->sell, 2147483647);
    EXPECT_FALSE(week(1332, Fri2));
}

TEST_F(WeeklyBuilderTest, IssuesWithoutRowsGetNoWeekAndOldWeeksOfThePeriodGo)
{
    addIssue(1301, 1, QStringLiteral("極洋"));
    addPrice(QStringLiteral("weekdata"), 1301, Fri1, 1, 1, 1, 1, 1, 0, 1);
    addPrice(QStringLiteral("weekdata"), 9999, Fri1, 1, 1, 1, 1, 1, 0, 1);
    day(4000, Mon1, 100, 100, 100, 100, 100); // not in Mei
    build(Mon1, Fri1);
    EXPECT_EQ(count(QStringLiteral("weekdata")), 0);
}

TEST_F(WeeklyBuilderTest, PercentageChangesEveryFiveIssuesOf100)
{
    for (int code = 1000; code < 1100; ++code)
        addIssue(code, code % 2 ? 1 : 2, QStringLiteral("銘柄"));
    build(Mon1, Fri1);
    QStringList expected{QStringLiteral("0")};
    for (int p = 5; p <= 100; p += 5)
        expected << QString::number(p);
    EXPECT_EQ(progress.percents, expected);
}

} // namespace
