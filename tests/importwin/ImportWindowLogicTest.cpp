// The dates the import windows propose, their stepping buttons and the checks of a typed range.

#include "import/ImportWindowLogic.h"
#include "base/DateUtil.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace importer;

namespace {

QDate d(int y, int m, int day)
{
    return QDate(y, m, day);
}

// 2000-07-10 is a Monday.
struct ImportRangeCase
{
    const char *name;
    std::optional<QDate> lastStored;
    QDate today;
    const char *readSinyo;
    int makeSyu;
    QDate first;
    QDate last;
    bool readMargin;
    bool buildWeekly;
};

class ProposeImportRangeTest : public ::testing::TestWithParam<ImportRangeCase>
{
};

TEST_P(ProposeImportRangeTest, FollowsTheLastStoredDay)
{
    const ImportRangeCase &c = GetParam();
    const ImportProposal p = ProposeImportRange(c.lastStored, c.today, QString::fromUtf8(c.readSinyo), c.makeSyu, true);
    EXPECT_EQ(p.first, c.first);
    EXPECT_EQ(p.last, c.last);
    EXPECT_EQ(p.readMargin, c.readMargin);
    EXPECT_EQ(p.buildWeekly, c.buildWeekly);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ProposeImportRangeTest,
    ::testing::Values(
        // A Friday stored: the next Monday, up to today (the Wednesday after).
        ImportRangeCase{"FridayToMonday", d(2000, 7, 14), d(2000, 7, 19), "しない", 1, d(2000, 7, 17), d(2000, 7, 19), false, false},
        ImportRangeCase{"WednesdayToThursday", d(2000, 7, 12), d(2000, 7, 13), "しない", 0, d(2000, 7, 13), d(2000, 7, 13), false, false},
        ImportRangeCase{"EmptyTable", std::nullopt, d(2000, 7, 12), "しない", 1, d(2000, 7, 12), d(2000, 7, 12), false, false},
        ImportRangeCase{"FirstAfterToday", d(2000, 7, 14), d(2000, 7, 14), "しない", 0, d(2000, 7, 17), d(2000, 7, 17), false, false},
        // A Thursday stored makes the first day a Friday: the weekly box follows the setting.
        ImportRangeCase{"FridayFirstTakesMakeSyu", d(2000, 7, 13), d(2000, 7, 17), "しない", 1, d(2000, 7, 14), d(2000, 7, 17), false, true},
        ImportRangeCase{"SaturdayToSunday", d(2000, 7, 15), d(2000, 7, 17), "しない", 0, d(2000, 7, 16), d(2000, 7, 17), false, false},
        // "金曜" on a Friday ticks the margin box and makes the range one day.
        ImportRangeCase{"MarginDayFriday", d(2000, 7, 13), d(2000, 7, 14), "金曜", 1, d(2000, 7, 14), d(2000, 7, 14), true, true},
        ImportRangeCase{"MarginDayWednesday", d(2000, 7, 10), d(2000, 7, 12), "水曜", 0, d(2000, 7, 11), d(2000, 7, 11), true, false},
        // "木曜" on a Friday leaves the box as it was (ticked before here) and the range whole.
        ImportRangeCase{"MarginDayOtherWeekday", d(2000, 7, 11), d(2000, 7, 14), "木曜", 0, d(2000, 7, 12), d(2000, 7, 14), true, false},
        ImportRangeCase{"MarginNever", d(2000, 7, 13), d(2000, 7, 14), "しない", 0, d(2000, 7, 14), d(2000, 7, 14), false, false}),
    [](const auto &info) { return std::string(info.param.name); });

struct WeekPeriodCase
{
    const char *name;
    std::optional<QDate> lastStored;
    QDate today;
    QDate first;
    QDate last;
};

class ProposeWeekPeriodTest : public ::testing::TestWithParam<WeekPeriodCase>
{
};

TEST_P(ProposeWeekPeriodTest, IsAMondayToAFriday)
{
    const WeekPeriodCase &c = GetParam();
    const WeekPeriod p = ProposeWeekPeriod(c.lastStored, c.today);
    EXPECT_EQ(p.first, c.first);
    EXPECT_EQ(p.last, c.last);
    EXPECT_EQ(DateUtil::weekdayNumber(p.first), 2);
    EXPECT_EQ(DateUtil::weekdayNumber(p.last), 6);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ProposeWeekPeriodTest,
    ::testing::Values(
        WeekPeriodCase{"FridayStored", d(2000, 7, 14), d(2000, 7, 19), d(2000, 7, 10), d(2000, 7, 21)},
        WeekPeriodCase{"SundayStored", d(2000, 7, 16), d(2000, 7, 16), d(2000, 7, 17), d(2000, 7, 21)},
        WeekPeriodCase{"EmptyTable", std::nullopt, d(2000, 7, 12), d(2000, 7, 10), d(2000, 7, 14)}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(WeekStepping, GoesToTheNeighbouringMondayOrFriday)
{
    // From a Monday: the Monday before / after, never the same day.
    EXPECT_EQ(StepToMonday(d(2000, 7, 10), false), d(2000, 7, 3));
    EXPECT_EQ(StepToMonday(d(2000, 7, 10), true), d(2000, 7, 17));
    // From a Wednesday: the Monday of its week going back.
    EXPECT_EQ(StepToMonday(d(2000, 7, 12), false), d(2000, 7, 10));
    EXPECT_EQ(StepToFriday(d(2000, 7, 14), false), d(2000, 7, 7));
    EXPECT_EQ(StepToFriday(d(2000, 7, 14), true), d(2000, 7, 21));
    // From a Saturday: the Friday just before / the next week's Friday.
    EXPECT_EQ(StepToFriday(d(2000, 7, 15), false), d(2000, 7, 14));
    EXPECT_EQ(StepToFriday(d(2000, 7, 15), true), d(2000, 7, 21));
}

struct RangeCase
{
    const char *name;
    const char *first;
    const char *last;
    bool weekRule;
    RangeCheck expected;
};

class CheckRangeTest : public ::testing::TestWithParam<RangeCase>
{
};

TEST_P(CheckRangeTest, RefusesInTheWindowsOrder)
{
    const RangeCase &c = GetParam();
    const CheckedRange r = CheckRange(QString::fromUtf8(c.first), QString::fromUtf8(c.last), d(2000, 7, 20), c.weekRule);
    EXPECT_EQ(r.check, c.expected);
    if (c.expected == RangeCheck::Ok) {
        EXPECT_TRUE(r.first.isValid());
        EXPECT_LE(r.first, r.last);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CheckRangeTest,
    ::testing::Values(
        RangeCase{"FullWidthDigits", "００／０７／１０", "０0/07/1４", true, RangeCheck::Ok},
        RangeCase{"FullWidthBlanks", "　00/07/10　", "00-07-14", true, RangeCheck::Ok},
        RangeCase{"FirstText", "きのう", "00/07/14", false, RangeCheck::FirstNotDate},
        RangeCase{"LastOtherScriptDigits", "00/07/10", "00/07/١٤", false, RangeCheck::LastNotDate},
        // The range comes before the weekday rules.
        RangeCase{"ReversedNotMonday", "00/07/19", "00/07/12", true, RangeCheck::Reversed},
        RangeCase{"NoWeekRule", "00/07/11", "00/07/15", false, RangeCheck::Ok}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(Converter, IsFoundUnderEitherNameAndGetsBothDates)
{
    QTemporaryDir dir;
    EXPECT_TRUE(ConverterPath(dir.path()).isEmpty());
    // A folder of that name is not a program.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("Convt")));
    EXPECT_TRUE(ConverterPath(dir.path()).isEmpty());
    QFile exe(QDir(dir.path()).filePath(QStringLiteral("Convt.exe")));
    ASSERT_TRUE(exe.open(QIODevice::WriteOnly));
    exe.close();
    EXPECT_EQ(ConverterPath(dir.path()), QFileInfo(exe).absoluteFilePath());
    EXPECT_EQ(ConverterArgument(QStringLiteral("00/07/10"), QStringLiteral(" 00/07/14")), QStringLiteral("00/07/10,00/07/14"));
}

} // namespace
