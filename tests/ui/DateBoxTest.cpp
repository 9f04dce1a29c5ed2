#include "ui/DateBox.h"
#include "UiTestSupport.h"
#include "base/MainModule.h"
#include "support/TestSupport.h"

#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

using namespace ui_testing;

namespace {

class DateBoxTyping : public ::testing::Test
{
protected:
    void SetUp() override
    {
        MainModule::reset();
        DateBox::attach(&edit);
        focusIn(&edit);
    }
    void TearDown() override { MainModule::reset(); }
    QLineEdit edit;
};

TEST_F(DateBoxTyping, SlashesComeAfterTheSecondAndFifthCharacter)
{
    typeText(&edit, QStringLiteral("1"));
    EXPECT_EQ(edit.text(), QStringLiteral("1"));
    typeText(&edit, QStringLiteral("2"));
    EXPECT_EQ(edit.text(), QStringLiteral("12/"));
    EXPECT_EQ(edit.cursorPosition(), 3);
    typeText(&edit, QStringLiteral("07"));
    EXPECT_EQ(edit.text(), QStringLiteral("12/07/"));
    EXPECT_EQ(edit.cursorPosition(), 6);
    typeText(&edit, QStringLiteral("14"));
    EXPECT_EQ(edit.text(), QStringLiteral("12/07/14"));
}

TEST_F(DateBoxTyping, BackspaceAfterASlashRemovesItAndAddsNone)
{
    typeText(&edit, QStringLiteral("0001"));
    ASSERT_EQ(edit.text(), QStringLiteral("00/01/"));
    backspace(&edit);
    EXPECT_EQ(edit.text(), QStringLiteral("00/01"));
    backspace(&edit);
    backspace(&edit);
    backspace(&edit);
    EXPECT_EQ(edit.text(), QStringLiteral("00"));
    EXPECT_TRUE(MainModule::LastKeyBackspace);
    // The next digit is typed after "00": the slash comes back only at the next length of 2 or 5.
    typeText(&edit, QStringLiteral("/0"));
    EXPECT_EQ(edit.text(), QStringLiteral("00/0"));
    typeText(&edit, QStringLiteral("2"));
    EXPECT_EQ(edit.text(), QStringLiteral("00/02/"));
}

TEST_F(DateBoxTyping, ADateTypedWithOrWithoutItsSlashesGetsOneSlashEach)
{
    QTest::keyClicks(&edit, QStringLiteral("26/11/24"));
    EXPECT_EQ(edit.text(), QStringLiteral("26/11/24"));
    edit.clear();
    QTest::keyClicks(&edit, QStringLiteral("261124"));
    EXPECT_EQ(edit.text(), QStringLiteral("26/11/24"));

    // Only the slash just put in stands for a typed one: after Backspace a typed slash is kept,
    // and Backspace still removes a slash without one coming back.
    edit.clear();
    QTest::keyClicks(&edit, QStringLiteral("26/1"));
    ASSERT_EQ(edit.text(), QStringLiteral("26/1"));
    QTest::keyClick(&edit, Qt::Key_Backspace);
    QTest::keyClick(&edit, Qt::Key_Backspace);
    EXPECT_EQ(edit.text(), QStringLiteral("26"));
    QTest::keyClicks(&edit, QStringLiteral("/11"));
    EXPECT_EQ(edit.text(), QStringLiteral("26/11/"));
    QTest::keyClick(&edit, Qt::Key_Backspace);
    QTest::keyClicks(&edit, QStringLiteral("/24"));
    EXPECT_EQ(edit.text(), QStringLiteral("26/11/24"));
}

TEST_F(DateBoxTyping, TextSetByCodeAfterLeavingTheBoxGetsNoSlash)
{
    focusOut(&edit);
    EXPECT_TRUE(MainModule::LastKeyBackspace);
    edit.setText(QStringLiteral("12"));
    EXPECT_EQ(edit.text(), QStringLiteral("12"));
    edit.setText(QStringLiteral("00/01"));
    EXPECT_EQ(edit.text(), QStringLiteral("00/01"));
}

TEST_F(DateBoxTyping, TheLastKeyOfAnyDateBoxDecides)
{
    QLineEdit other;
    DateBox::attach(&other);
    backspace(&other); // Backspace pressed in another date box
    edit.setText(QStringLiteral("12"));
    EXPECT_EQ(edit.text(), QStringLiteral("12"));
    typeText(&other, QStringLiteral("9"));
    edit.setText(QStringLiteral("34"));
    EXPECT_EQ(edit.text(), QStringLiteral("34/"));
}

TEST(DateBox, FocusSelectsTheWholeText)
{
    QLineEdit edit;
    DateBox::attachSelectAll(&edit);
    edit.setText(QStringLiteral("00/07/14"));
    edit.setCursorPosition(3);
    focusIn(&edit);
    EXPECT_EQ(edit.selectedText(), QStringLiteral("00/07/14"));

    QLineEdit empty;
    DateBox::attachSelectAll(&empty);
    focusIn(&empty);
    EXPECT_FALSE(empty.hasSelectedText());
}

TEST(DateBox, SelectAllOnlyBoxLeavesTheBackspaceFlagAlone)
{
    MainModule::reset();
    QLineEdit edit;
    DateBox::attachSelectAll(&edit);
    typeText(&edit, QStringLiteral("12"));
    EXPECT_EQ(edit.text(), QStringLiteral("12"));
    backspace(&edit);
    EXPECT_FALSE(MainModule::LastKeyBackspace);
    MainModule::reset();
}

TEST(DateBox, WeekdayLabelFollowsTheText)
{
    QLineEdit edit;
    QLabel label;
    testing_support::FixedClock clock(QDate(2026, 12, 5));
    DateBox::bindWeekdayLabel(&edit, &label, &clock);
    edit.setText(QStringLiteral("00/07/14"));
    EXPECT_EQ(label.text(), QStringLiteral("金曜日"));
    edit.setText(QStringLiteral("00/07/1"));
    EXPECT_EQ(label.text(), QStringLiteral("土曜日"));
    edit.setText(QStringLiteral("00/13/01"));
    EXPECT_EQ(label.text(), QString());
    // The clock's year sets the two-digit-year window: 1946..2045 in 2026.
    edit.setText(QStringLiteral("45/01/01"));
    EXPECT_EQ(label.text(), QStringLiteral("日曜日")); // 2045-01-01
}

} // namespace
