// The weekly build, margin and recalculation windows: opening dates, stepping buttons, the
// Monday/Friday checks with their focus moves, runs and their messages, and the busy rules.

#include "WindowTestSupport.h"

#include "import/ImportPaths.h"
#include "import/frmShinyoData.h"
#include "import/frmSyuMakeData.h"
#include "import/frmZenjitusa.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include <utility>

using namespace importwin_test;

namespace {

// The period controls are shared by both week windows and tried here on the weekly one; where a
// step lands and which period is refused are the week logic's rules.
using WeekPeriodTest = WindowFixture;

TEST_F(WeekPeriodTest, OpensOnTheWeeksAfterTheLastStoredDayAndStepsEitherWay)
{
    addDay(1301, QDate(2000, 7, 14), 100); // a Friday: its own week is proposed again
    frmSyuMakeData w(services);
    w.show();
    w.activateWindow();
    EXPECT_EQ(w.ReadDateji->text(), QStringLiteral("00/07/10"));
    EXPECT_EQ(w.LabReadDateji->text(), QStringLiteral("月曜日"));
    EXPECT_EQ(w.ReadDateitaru->text(), QStringLiteral("00/07/21"));
    EXPECT_EQ(w.LabReadDateitaru->text(), QStringLiteral("金曜日"));
    EXPECT_FALSE(w.Option2->isChecked());
    w.CmdStartDate->click();
    EXPECT_EQ(w.ReadDateji->text(), QStringLiteral("00/07/03"));
    w.Option2->setChecked(true);
    w.CmdEndDate->click();
    EXPECT_EQ(w.ReadDateitaru->text(), QStringLiteral("00/07/28"));
    EXPECT_TRUE(prompt.records().empty());

    w.ReadDateji->setText(QStringLiteral("next week"));
    w.CmdStartDate->click();
    EXPECT_EQ(prompt.messages(), QStringList{QStringLiteral("日付の入力が誤っています。")});
    EXPECT_EQ(w.focusWidget(), w.ReadDateji);
    EXPECT_EQ(w.ReadDateji->text(), QStringLiteral("next week"));
}

TEST_F(WeekPeriodTest, BothRunButtonsRefuseABadPeriodWithItsFocus)
{
    frmSyuMakeData weekly(services);
    frmShinyoData margin(services);
    const std::pair<WeekPeriodWindow *, QPushButton *> windows[] = {{&weekly, weekly.CmdMakeWeekData},
                                                                    {&margin, margin.CmdShinyoReadDate}};
    for (const auto &[w, run] : windows) {
        w->show();
        w->activateWindow();
        w->ReadDateji->setText(QStringLiteral("00/07/10"));
        w->ReadDateitaru->setText(QStringLiteral("00/07/15"));
        run->setFocus();
        run->click();
        EXPECT_EQ(prompt.messages().back(), QStringLiteral("期間至は必ず金曜日を指定して下さい。")) << w->objectName().toStdString();
        EXPECT_EQ(w->focusWidget(), w->ReadDateitaru) << w->objectName().toStdString();
    }
    EXPECT_EQ(prompt.messages().size(), 2);
    EXPECT_TRUE(prompt.questions().isEmpty());
}

class SyuMakeDataTest : public WindowFixture
{
};

TEST_F(SyuMakeDataTest, BuildsTheWeeksAndRefusesToCloseMeanwhile)
{
    addIssue(1301, 1, QStringLiteral("極洋"), true);
    for (int day = 10; day <= 21; ++day) {
        if (QDate(2000, 7, day).dayOfWeek() <= 5)
            addDay(1301, QDate(2000, 7, day), 100 + day);
    }
    frmSyuMakeData w(services);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("週株価データ作成"));
    w.show();
    w.ReadDateji->setText(QStringLiteral("00/07/10"));
    w.ReadDateitaru->setText(QStringLiteral("00/07/21"));

    bool stayedOpen = false;
    prompt.answerYes();
    const bool poked = actWhileBusy(w, w.CmdMakeWeekData, [&] {
        w.CmdMakeWeekData->click();
        w.CmdStartDate->click();
        w.CmdEndDate->click();
        w.CmdClose->click();
        pressKey(&w, Qt::Key_Escape);
        w.close();
        stayedOpen = w.isVisible();
    });

    EXPECT_TRUE(poked);
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(prompt.questions(), QStringList{QStringLiteral("週データーの作成を開始します。")});
    EXPECT_EQ(prompt.records().front().title, QStringLiteral("確認"));
    EXPECT_EQ(prompt.messages(), QStringList{QStringLiteral("週データーの作成終了しました。")});
    EXPECT_EQ(w.LabPa->text(), QStringLiteral("100"));
    // The stepping buttons did nothing during the build.
    EXPECT_EQ(w.ReadDateji->text(), QStringLiteral("00/07/10"));
    EXPECT_EQ(w.ReadDateitaru->text(), QStringLiteral("00/07/21"));
    EXPECT_EQ(count(QStringLiteral("weekdata")), 2);
    // Not busy any more: the cancel button closes.
    w.CmdClose->click();
    EXPECT_FALSE(w.isVisible());
}

class ShinyoDataTest : public WindowFixture
{
};

TEST_F(ShinyoDataTest, ReadsTheWeeksFilesAndSaysSo)
{
    testing_support::writeCp932File(importer::fileIn(MainModule::sinyoPath, importer::marginFileName(QDate(2000, 7, 14))),
                                    {QStringLiteral("20000714"), QStringLiteral("2,"), QStringLiteral("1301,0,0,10,20,1000"),
                                     QStringLiteral("1332,0,0,5,6,1000")});
    frmShinyoData w(services);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("信用データ読込み"));
    w.show();
    w.ReadDateji->setText(QStringLiteral("00/07/10"));
    w.ReadDateitaru->setText(QStringLiteral("00/07/14"));
    prompt.answerYes();
    w.CmdShinyoReadDate->click();
    EXPECT_EQ(prompt.questions(), QStringList{QStringLiteral("信用データーの読込みを開始します。")});
    EXPECT_EQ(prompt.messages(), QStringList{QStringLiteral("信用データーの読込み終了しました。")});
    EXPECT_EQ(count(QStringLiteral("ShinYo")), 2);
    EXPECT_EQ(w.LabFileName->text(), QStringLiteral("Ys200007.14 処理中....."));

    // The week after has no file.
    w.ReadDateji->setText(QStringLiteral("00/07/17"));
    w.ReadDateitaru->setText(QStringLiteral("00/07/21"));
    prompt.answerYes();
    w.CmdShinyoReadDate->click();
    EXPECT_EQ(prompt.messages().back(), QStringLiteral("信用データーが存在しませんでした。"));
    // The margin window keeps no busy mark: cancel always closes.
    w.CmdClose->click();
    EXPECT_FALSE(w.isVisible());
}

class ZenjitusaTest : public WindowFixture
{
};

TEST_F(ZenjitusaTest, OpensAMonthBackAndRefusesANonDate)
{
    frmZenjitusa w(services);
    w.show();
    w.activateWindow();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("前日比再計算"));
    EXPECT_EQ(w.txtStartDate->text(), QStringLiteral("00/06/19"));
    EXPECT_TRUE(w.Option1->isChecked());
    w.txtStartDate->setText(QStringLiteral("00/06/31"));
    w.CmdSaikeisan->click();
    EXPECT_EQ(prompt.messages(), QStringList{QStringLiteral("日付の入力が誤っています。")});
    EXPECT_EQ(w.focusWidget(), w.txtStartDate);
    EXPECT_TRUE(prompt.questions().isEmpty());
}

TEST_F(ZenjitusaTest, RecalculatesTheChosenTableAndRefusesToCloseMeanwhile)
{
    addIssue(1301, 1, QStringLiteral("極洋"), true);
    addDay(1301, QDate(2000, 7, 10), 100, 55);
    addDay(1301, QDate(2000, 7, 11), 110, 55);
    frmZenjitusa w(services);
    w.show();
    // Full-width digits typed with the input method on.
    w.txtStartDate->setText(QStringLiteral("００/０７/１０"));
    EXPECT_EQ(w.txtStartDate->text(), QStringLiteral("00/07/10"));

    bool stayedOpen = false;
    prompt.answerYes();
    const bool poked = actWhileBusy(w, w.CmdSaikeisan, [&] {
        w.CmdSaikeisan->click();
        pressKey(&w, Qt::Key_Escape);
        w.close();
        stayedOpen = w.isVisible();
    });

    EXPECT_TRUE(poked);
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(prompt.questions(), QStringList{QStringLiteral("前日差再計算を開始します。")});
    EXPECT_EQ(prompt.messages(), QStringList{QStringLiteral("前日差再計算終了しました。")});
    EXPECT_EQ(scalar(QStringLiteral("select 前日比 from daydata where 日付=#2000/07/11#")).toInt(), 10);
    pressKey(&w, Qt::Key_Escape);
    EXPECT_FALSE(w.isVisible());
}

} // namespace
