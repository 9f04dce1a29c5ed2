#include "base/DateUtil.h"

#include <gtest/gtest.h>

namespace {

const QDate Today(2026, 12, 5);

struct DateTextCase
{
    const char *text;
    QDate expected; // invalid when the text is not a date
};

class DateText : public ::testing::TestWithParam<DateTextCase>
{
};

TEST_P(DateText, ReadsAsTheBoxesAndQueriesDo)
{
    EXPECT_EQ(DateUtil::parseDate(QString::fromUtf8(GetParam().text), Today), GetParam().expected) << GetParam().text;
}

const DateTextCase dateTexts[] = {
    {"00/07/14", QDate(2000, 7, 14)},
    {"46/01/01", QDate(1946, 1, 1)}, // this year - 80 is the window's first year
    {"45/12/31", QDate(2045, 12, 31)}, // this year + 19 its last
    {"2000/07/14", QDate(2000, 7, 14)},
    {"2000-7-4", QDate(2000, 7, 4)},
    {" 18/06/29 ", QDate(2018, 6, 29)},
    {"１８／０６／２９", QDate(2018, 6, 29)}, // typed with the input method on
    {"00/02/30", QDate()},
    {"00/13/01", QDate()},
    {"000/01/01", QDate()},
    {"00/07", QDate()},
    {"abc", QDate()},
    {"", QDate()},
};

INSTANTIATE_TEST_SUITE_P(Texts, DateText, ::testing::ValuesIn(dateTexts));

TEST(DateUtilNames, WeekdaysCountFromSunday)
{
    EXPECT_EQ(DateUtil::weekdayNumber(QDate(2000, 7, 16)), 1); // Sunday
    EXPECT_EQ(DateUtil::weekdayNumber(QDate(2000, 7, 14)), 6); // Friday
    EXPECT_EQ(DateUtil::weekdayName(QDate(2000, 7, 31)), QStringLiteral("月曜日"));
    EXPECT_EQ(DateUtil::weekdayName(QDate()), QString());
    EXPECT_EQ(DateUtil::formatYYMMDD(QDate(2000, 7, 4)), QStringLiteral("00/07/04"));
}

} // namespace
