#include "base/OptionValues.h"
#include "base/MainModule.h"
#include "base/Settings.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

// One entry typed into the window, and the text stored on close.
struct RepairCase
{
    const char *name;
    QString OptionEntries::*field;
    QString typed;
    QString stored;
};

class OptionRepair : public ::testing::TestWithParam<RepairCase>
{
};

TEST_P(OptionRepair, StoresTheRepairedText)
{
    const RepairCase &c = GetParam();
    OptionEntries e;
    e.slidechart = QStringLiteral("2");
    e.move1 = e.move2 = e.move3 = e.SaicoL = e.RSIVR = QStringLiteral("9");
    e.sonekipa = QStringLiteral("3");
    e.CmbShinyo = QStringLiteral("木曜");
    e.CmbDelJyoho = QStringLiteral("30");
    e.*(c.field) = c.typed;
    OptionValues::repair(e);
    EXPECT_EQ(e.*(c.field), c.stored);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OptionRepair,
    ::testing::Values(
        RepairCase{"SlideBelowHalfSecond", &OptionEntries::slidechart, QStringLiteral("0.4"), QStringLiteral("1")},
        RepairCase{"SlideHalfSecondKept", &OptionEntries::slidechart, QStringLiteral("0.5"), QStringLiteral("0.5")},
        RepairCase{"SlideJustAboveSixty", &OptionEntries::slidechart, QStringLiteral("60.01"), QStringLiteral("1")},
        RepairCase{"SlideNotNumeric", &OptionEntries::slidechart, QStringLiteral("abc"), QStringLiteral("1")},
        RepairCase{"Move3Empty", &OptionEntries::move3, QString(), QStringLiteral("0")},
        RepairCase{"SaicoLNotNumeric", &OptionEntries::SaicoL, QStringLiteral("12日"), QStringLiteral("0")},
        RepairCase{"BreakEvenNotNumeric", &OptionEntries::sonekipa, QStringLiteral("%"), QStringLiteral("4")},
        RepairCase{"BreakEvenFractionKept", &OptionEntries::sonekipa, QStringLiteral("2.5"), QStringLiteral("2.5")},
        RepairCase{"MarginDayWednesday", &OptionEntries::CmbShinyo, QStringLiteral("水曜"), QStringLiteral("水曜")},
        RepairCase{"MarginDayOther", &OptionEntries::CmbShinyo, QStringLiteral("月曜"), QStringLiteral("しない")},
        RepairCase{"DeleteDaysNotNumeric", &OptionEntries::CmbDelJyoho, QStringLiteral("いつも"), QStringLiteral("10")},
        RepairCase{"DeleteDaysTypedNumberKept", &OptionEntries::CmbDelJyoho, QStringLiteral("45"), QStringLiteral("45")}),
    [](const ::testing::TestParamInfo<RepairCase> &info) { return std::string(info.param.name); });

TEST(OptionSave, ANumberItsSettingCannotHoldIsRefusedBeforeSaving)
{
    TempProgramFolder folder;
    ASSERT_TRUE(Settings::WriteSettings(Settings::defaultValues(), true));
    ScriptedPrompt prompt;
    ASSERT_TRUE(Settings::ReadSettings(&prompt));
    OptionEntries e = OptionValues::fromSettings();
    EXPECT_EQ(OptionValues::firstProblem(e), QString());
    e.SaicoL = QStringLiteral("99999");
    EXPECT_EQ(OptionValues::firstProblem(e), QStringLiteral("設定 SaicoL の値 '99999' は範囲外です。"));
    EXPECT_EQ(MainModule::SaicoL, 12) << "checking converts nothing into the settings";
}

// The option window's own tests cover the repairs and the keys it shows; these are the rest.
TEST(OptionSave, WritesEveryKeyAndReadsBack)
{
    TempProgramFolder folder;
    ASSERT_TRUE(Settings::WriteSettings(Settings::defaultValues(), true));
    ScriptedPrompt prompt;
    ASSERT_TRUE(Settings::ReadSettings(&prompt));

    OptionEntries e = OptionValues::fromSettings();
    EXPECT_EQ(e.slidechart, QStringLiteral("1"));
    e.TxtUrl = QStringLiteral("prices.example/kabu/");
    e.ChkRDel = 1;
    e.TxthidiFold = QStringLiteral("D:\\daily");
    e.CmbDelJyoho = QStringLiteral("120");
    e.allItoRso = 2;
    e.itoRso = 3;
    ASSERT_TRUE(OptionValues::save(e, &prompt));
    EXPECT_TRUE(prompt.messages().isEmpty());

    EXPECT_EQ(Settings::settingsValue(QStringLiteral("hibiPath")), QStringLiteral("D:\\daily"));
    EXPECT_EQ(Settings::settingsValue(QStringLiteral("FilterGaku")), QString());
    EXPECT_EQ(MainModule::DURL, QStringLiteral("prices.example/kabu/"));
    EXPECT_EQ(MainModule::RDel, 1);
    EXPECT_EQ(MainModule::hibiPath, QStringLiteral("D:\\daily\\"));
    EXPECT_EQ(MainModule::DelJyoho, 120);
    EXPECT_EQ(MainModule::ALLITORSO, 2);
    EXPECT_EQ(MainModule::ITORSO, 3);
}

TEST(OptionLoad, UnusualStoredChoicesSelectTheFirstButton)
{
    MainModule::reset();
    MainModule::ScreenMode = 7;
    MainModule::ALLITORSO = 3;
    MainModule::ITORSO = 9;
    const OptionEntries e = OptionValues::fromSettings();
    EXPECT_EQ(e.screenMode, 2);
    EXPECT_EQ(e.allItoRso, 1);
    EXPECT_EQ(e.itoRso, 1);
    MainModule::reset();
}

} // namespace
