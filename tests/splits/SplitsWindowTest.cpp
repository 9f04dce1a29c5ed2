// The split events in the windows: the main window's check box "分割調整" and the events window.

#include "mainwin/MainWindowTestSupport.h"

#include "base/Settings.h"
#include "chart/ChartSeries.h"
#include "splits/Adjustments.h"
#include "splits/frmSplits.h"

#include <QCheckBox>
#include <QListWidget>
#include <QTableWidget>

using namespace mainwin_test;

namespace {

class SplitsWindowTest : public MainWindowTest
{
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        addIssue(1301, 1, QStringLiteral("極洋"));
        addDailyRows(1301, 200, today());
        addWeeklyRows(1301, 60, today());
        db::Database d(MainModule::DBPath);
        splits::StoreEvent(d, {1301, eventDay, {1, 2}});
    }

    const QDate eventDay = QDate(2024, 5, 1);
};

} // namespace

TEST_F(SplitsWindowTest, TheCheckBoxAdjustsTheChartAndKeepsItsSetting)
{
    frmMain &w = openWindow();
    auto *box = w.findChild<QCheckBox *>(QStringLiteral("Chkbunkatsu"));
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), QStringLiteral("分割調整"));
    EXPECT_TRUE(box->isChecked()) << "on until the user turns it off";
    typeText(w.MeiCode, QStringLiteral("1301"));
    const chart::ChartSeries adjusted = w.series();
    EXPECT_TRUE(adjusted.Adjusted);

    box->click();
    EXPECT_EQ(Settings::settingsValue(QStringLiteral("SplitAdjust")), QStringLiteral("0"));
    EXPECT_FALSE(splits::AdjustedChartSetting());
    const chart::ChartSeries asTraded = w.series();
    EXPECT_FALSE(asTraded.Adjusted);
    for (int k = 0; k < asTraded.Count; ++k) {
        const chart::ChartRecord &a = adjusted.Records[size_t(k)], &t = asTraded.Records[size_t(k)];
        const bool before = t.Date < eventDay;
        EXPECT_EQ(a.Close, before ? splits::adjustPrice(t.Close, {1, 2}) : t.Close) << k;
        EXPECT_EQ(a.Volume, before ? t.Volume * 2 : t.Volume) << k;
    }

    // Weekly margin balances are shares: divided by the factor like the volume.
    box->click();
    EXPECT_TRUE(splits::AdjustedChartSetting());
    w.Cmdchange->click();
    const chart::ChartSeries weekly = w.series();
    ASSERT_TRUE(weekly.Adjusted);
    const chart::ChartRecord &last = weekly.Records[size_t(weekly.Count - 1)];
    const chart::ChartRecord &early = weekly.Records[0];
    EXPECT_EQ(last.MarginSell, 100);
    EXPECT_EQ(last.MarginBuy, 200);
    EXPECT_EQ(early.MarginSell, 2 * (100 + weekly.Count - 1));
    EXPECT_EQ(early.Close, Currency::fromInt(500));
}

TEST_F(SplitsWindowTest, TheEventsWindowAddsRemovesAndOffersDays)
{
    frmSplits window(services, {QStringLiteral("1301"), QStringLiteral("東１"), QStringLiteral("極洋")});
    ASSERT_EQ(window.GridEvents->rowCount(), 1);
    EXPECT_EQ(window.GridEvents->item(0, 0)->text(), QStringLiteral("24/05/01"));
    EXPECT_EQ(window.GridEvents->item(0, 1)->text(), QStringLiteral("1:2"));

    window.TxtDate->setText(QStringLiteral("24/03/01"));
    window.TxtRatio->setText(QStringLiteral("3:3"));
    window.CmdAdd->click();
    EXPECT_EQ(prompt.messages().last(), QStringLiteral("分割比率は 1:5 のように旧株数:新株数で入力して下さい。"));
    EXPECT_FALSE(window.changed());
    window.TxtRatio->setText(QStringLiteral("2:3"));
    window.CmdAdd->click();
    ASSERT_EQ(window.GridEvents->rowCount(), 2);
    EXPECT_EQ(window.GridEvents->item(0, 0)->text(), QStringLiteral("24/03/01"));
    EXPECT_TRUE(window.changed());

    window.GridEvents->selectRow(1);
    prompt.answerYes();
    window.CmdRemove->click();
    EXPECT_EQ(prompt.questions().last(), QStringLiteral("24/05/01 の分割情報を削除します　よろしいですか？"));
    db::Database d(MainModule::DBPath);
    EXPECT_EQ(splits::ReadEvents(d, 1301), (std::vector<splits::AdjustmentEvent>{{1301, QDate(2024, 3, 1), {2, 3}}}));
    d.close();

    // The test prices walk within a tenth of their level: no day looks like a split.
    window.CmdSuggest->click();
    EXPECT_EQ(window.ListSuggest->count(), 0);
    EXPECT_EQ(prompt.messages().last(), QStringLiteral("分割らしい日は見つかりませんでした。"));
}
