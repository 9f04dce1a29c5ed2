// The dates the import windows propose, their stepping buttons and the checks of a typed range.

#include "import/ImportWindowLogic.h"

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
TEST(ProposeImportRange, FollowsTheLastStoredDay)
{
    const struct
    {
        const char *name;
        std::optional<QDate> lastStored;
        QDate today;
        const char *readSinyo;
        int makeSyu;
        QDate first, last;
        bool readMargin, buildWeekly;
    } cases[] = {
        // A Friday stored: the next Monday, up to today (the Wednesday after).
        {"FridayToMonday", d(2000, 7, 14), d(2000, 7, 19), "しない", 1, d(2000, 7, 17), d(2000, 7, 19), false, false},
        {"WednesdayToThursday", d(2000, 7, 12), d(2000, 7, 13), "しない", 0, d(2000, 7, 13), d(2000, 7, 13), false, false},
        {"EmptyTable", std::nullopt, d(2000, 7, 12), "しない", 1, d(2000, 7, 12), d(2000, 7, 12), false, false},
        {"FirstAfterToday", d(2000, 7, 14), d(2000, 7, 14), "しない", 0, d(2000, 7, 17), d(2000, 7, 17), false, false},
        // A Thursday stored makes the first day a Friday: the weekly box follows the setting.
        {"FridayFirstTakesMakeSyu", d(2000, 7, 13), d(2000, 7, 17), "しない", 1, d(2000, 7, 14), d(2000, 7, 17), false, true},
        {"SaturdayToSunday", d(2000, 7, 15), d(2000, 7, 17), "しない", 0, d(2000, 7, 16), d(2000, 7, 17), false, false},
        // "金曜" on a Friday ticks the margin box and makes the range one day.
        {"MarginDayFriday", d(2000, 7, 13), d(2000, 7, 14), "金曜", 1, d(2000, 7, 14), d(2000, 7, 14), true, true},
        {"MarginDayWednesday", d(2000, 7, 10), d(2000, 7, 12), "水曜", 0, d(2000, 7, 11), d(2000, 7, 11), true, false},
        // "木曜" on a Friday leaves the box as it was (ticked before here) and the range whole.
        {"MarginDayOtherWeekday", d(2000, 7, 11), d(2000, 7, 14), "木曜", 0, d(2000, 7, 12), d(2000, 7, 14), true, false},
        {"MarginNever", d(2000, 7, 13), d(2000, 7, 14), "しない", 0, d(2000, 7, 14), d(2000, 7, 14), false, false},
    };
    for (const auto &c : cases) {
        const ImportProposal p = ProposeImportRange(c.lastStored, c.today, QString::fromUtf8(c.readSinyo), c.makeSyu, true);
        EXPECT_EQ(p.first, c.first) << c.name;
        EXPECT_EQ(p.last, c.last) << c.name;
        EXPECT_EQ(p.readMargin, c.readMargin) << c.name;
        EXPECT_EQ(p.buildWeekly, c.buildWeekly) << c.name;
    }
}

TEST(ProposeWeekPeriod, IsAMondayToAFriday)
{
    const struct
    {
        const char *name;
        std::optional<QDate> lastStored;
        QDate today, first, last;
    } cases[] = {
        {"FridayStored", d(2000, 7, 14), d(2000, 7, 19), d(2000, 7, 10), d(2000, 7, 21)},
        {"SundayStored", d(2000, 7, 16), d(2000, 7, 16), d(2000, 7, 17), d(2000, 7, 21)},
        {"EmptyTable", std::nullopt, d(2000, 7, 12), d(2000, 7, 10), d(2000, 7, 14)},
    };
    for (const auto &c : cases) {
        const WeekPeriod p = ProposeWeekPeriod(c.lastStored, c.today);
        EXPECT_EQ(p.first, c.first) << c.name;
        EXPECT_EQ(p.last, c.last) << c.name;
    }
}

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

TEST(CheckRange, RefusesInTheWindowsOrder)
{
    const struct
    {
        const char *name, *first, *last;
        bool weekRule;
        RangeCheck expected;
    } cases[] = {
        {"FullWidthDigits", "００／０７／１０", "０0/07/1４", true, RangeCheck::Ok},
        {"FullWidthBlanks", "　00/07/10　", "00-07-14", true, RangeCheck::Ok},
        {"FirstText", "きのう", "00/07/14", false, RangeCheck::FirstNotDate},
        {"LastOtherScriptDigits", "00/07/10", "00/07/١٤", false, RangeCheck::LastNotDate},
        // The range comes before the weekday rules.
        {"ReversedNotMonday", "00/07/19", "00/07/12", true, RangeCheck::Reversed},
        {"NotMonday", "00/07/11", "00/07/14", true, RangeCheck::FirstNotMonday},
        {"NotFriday", "00/07/10", "00/07/15", true, RangeCheck::LastNotFriday},
        {"NoWeekRule", "00/07/11", "00/07/15", false, RangeCheck::Ok},
    };
    for (const auto &c : cases) {
        const CheckedRange r = CheckRange(QString::fromUtf8(c.first), QString::fromUtf8(c.last), d(2000, 7, 20), c.weekRule);
        EXPECT_EQ(r.check, c.expected) << c.name;
        if (c.expected == RangeCheck::Ok) {
            EXPECT_TRUE(r.first.isValid()) << c.name;
            EXPECT_LE(r.first, r.last) << c.name;
        }
    }
}

// What every import window and the batch tool show for a refused range, and where the focus goes.
TEST(CheckRange, EachRefusalHasItsMessageAndItsBox)
{
    const struct
    {
        RangeCheck check;
        const char *message;
        bool focusFirst;
    } cases[] = {
        {RangeCheck::FirstNotDate, "日付の入力が誤っています。", true},
        {RangeCheck::LastNotDate, "日付の入力が誤っています。", false},
        {RangeCheck::Reversed, "日付の範囲が誤っています。", false},
        {RangeCheck::FirstNotMonday, "期間自は必ず月曜日を指定して下さい。", true},
        {RangeCheck::LastNotFriday, "期間至は必ず金曜日を指定して下さい。", false},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(RangeCheckMessage(c.check), QString::fromUtf8(c.message));
        EXPECT_EQ(RangeCheckFocusesFirst(c.check), c.focusFirst) << c.message;
    }
    EXPECT_TRUE(RangeCheckMessage(RangeCheck::Ok).isEmpty());
}

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
