// The chart navigation of the main window: the issue of the code box, the scroll bar's
// weekend steps, clicks, the daily/weekly switch and the display buttons.

#include "MainWindowTestSupport.h"

#include "base/DateUtil.h"
#include "chart/ChartSeries.h"
#include "chart/ChartView.h"

#include <QCheckBox>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>

using namespace mainwin_test;

namespace {

class NavigationTest : public MainWindowTest
{
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        addIssue(1301, 1, QStringLiteral("極洋"));
        addIssue(1332, 2, QStringLiteral("ﾆｯｽｲ"));
        addDailyRows(1301, 200, today());
        addDailyRows(1332, 40, today(), 500);
    }
};

TEST_F(NavigationTest, LoadShowsTodayTheListOfThe1000sAndTheDailyCaptions)
{
    frmMain &w = openWindow();
    EXPECT_EQ(w.chartDate->text(), QStringLiteral("24/06/14"));
    EXPECT_EQ(listEntries(w.ListMei), (QStringList{QStringLiteral("1301 東１ 極洋"), QStringLiteral("1332 東２ ﾆｯｽｲ")}))
        << "entries are code, market abbreviation and name";
    EXPECT_EQ(w.ListMei->currentRow(), 0);
    EXPECT_TRUE(w.windowTitle().endsWith(QStringLiteral("(日)")));
    EXPECT_EQ(w.Cmdchange->text(), QStringLiteral("週　足　チャートへ"));
    EXPECT_EQ(w.HScroll->maximum(), 32767);
    EXPECT_EQ(w.HScroll->value(), 32767);
    w.HScroll->setValue(1000);
    EXPECT_EQ(w.HScroll->value(), 32767) << "without an issue the scroll bar snaps back to the right end";
    EXPECT_EQ(w.chartDate->text(), QStringLiteral("24/06/14"));
    // The controls stand at fixed places: the window does not shrink below them.
    w.resize(300, 200);
    EXPECT_GE(w.width(), 1010);
    EXPECT_GE(w.height(), 640 + w.menuBar()->height());
}

TEST_F(NavigationTest, FirstActivationAfterACreatedDatabaseRunsOnce)
{
    // An ordinary start activates without the first-run sequence.
    {
        frmMain &w = openWindow();
        importwin_test::ModalWatcher watcher(&w);
        w.show();
        w.activateWindow();
        ASSERT_TRUE(waitFor([&] { return w.isActiveWindow(); }));
        letEventsRun(100);
        EXPECT_TRUE(watcher.seen.isEmpty());
        EXPECT_TRUE(prompt.messages().isEmpty());
    }

    frmMain &w = openWindow(MainWindowStart::FirstRun);
    // The first-start window opens once; the user closes it without a choice, and nothing is claimed.
    importwin_test::ModalWatcher watcher(&w);
    w.show();
    w.activateWindow();
    ASSERT_TRUE(waitFor([&] { return !watcher.seen.isEmpty(); }));
    letEventsRun(100);
    EXPECT_EQ(watcher.seen, QStringList{QStringLiteral("frmFirstStart")});
    EXPECT_TRUE(prompt.messages().isEmpty()) << prompt.messages().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(w.MeiCode->text(), QStringLiteral("1"));
    EXPECT_EQ(w.ListMei->count(), 2);
    // Coming back to the window later starts nothing again.
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(waitFor([&] { return other.isActiveWindow(); }));
    w.activateWindow();
    ASSERT_TRUE(waitFor([&] { return w.isActiveWindow(); }));
    letEventsRun(100);
    EXPECT_EQ(watcher.seen.size(), 1);
}

TEST_F(NavigationTest, FourDigitCodeShowsTheChartAndFillsListAndLabels)
{
    frmMain &w = openWindow();
    typeText(w.MeiCode, QStringLiteral("1301"));
    EXPECT_EQ(w.LblMei->text(), QStringLiteral("極洋"));
    EXPECT_EQ(w.Lblshijyo->text(), QStringLiteral("東１"));
    EXPECT_EQ(w.series().Count, 110);
    ASSERT_EQ(w.KabukaList->count(), 110);
    EXPECT_EQ(w.KabukaList->currentRow(), 109) << "the newest row is selected";
    EXPECT_TRUE(w.KabukaList->item(109)->text().startsWith(QStringLiteral("24/06/14 ")));
    EXPECT_EQ(labelText("LblDate"), QStringLiteral("24/06/14"));
    EXPECT_FALSE(labelText("Lblsaitakane").isEmpty());
    EXPECT_FALSE(labelText("Lbltanidoheikn").isEmpty());
    EXPECT_TRUE(prompt.messages().isEmpty());
}

TEST_F(NavigationTest, OnlyAKnownFourDigitCodeLoadsAndTheBoxTakesFiveDigitsAtMost)
{
    frmMain &w = openWindow();
    // No chart stands beside a name that is not its own: a partial or unknown code empties it.
    auto expectNoChart = [&](const char *why) {
        EXPECT_TRUE(w.LblMei->text().isEmpty()) << why;
        EXPECT_TRUE(w.Lblshijyo->text().isEmpty()) << why;
        EXPECT_EQ(w.series().Count, 0) << why;
        EXPECT_EQ(w.KabukaList->count(), 0) << why;
        EXPECT_TRUE(labelText("LblDate").isEmpty()) << why;
        EXPECT_TRUE(labelText("Lblsaitakane").isEmpty()) << why;
    };
    typeText(w.MeiCode, QStringLiteral("1332"));
    ASSERT_EQ(w.series().Count, 40);
    keyClick(w.MeiCode, Qt::Key_1);
    EXPECT_EQ(w.MeiCode->text(), QStringLiteral("13321"));
    expectNoChart("five digits");
    w.MeiCode->setText(QStringLiteral("1332"));
    ASSERT_EQ(w.KabukaList->count(), 40);
    keyClick(w.MeiCode, Qt::Key_Backspace);
    EXPECT_EQ(w.MeiCode->text(), QStringLiteral("133"));
    expectNoChart("three digits");
    w.MeiCode->setText(QStringLiteral("1301"));
    ASSERT_EQ(w.series().Count, 110);
    w.MeiCode->setText(QStringLiteral("9999"));
    expectNoChart("an unregistered code");
    w.MeiCode->setText(QStringLiteral("１３０１")); // full-width digits count as digits
    EXPECT_EQ(w.MeiCode->text(), QStringLiteral("1301"));
    EXPECT_EQ(w.LblMei->text(), QStringLiteral("極洋"));
    EXPECT_EQ(w.series().Count, 110);
    w.MeiCode->setText(QStringLiteral("123456789"));
    EXPECT_EQ(w.MeiCode->text(), QStringLiteral("12345"));
    EXPECT_EQ(w.MeiCode->cursorPosition(), 5);
}

TEST_F(NavigationTest, ChartClicksSelectTheRecordUnderTheCandle)
{
    frmMain &w = openWindow();
    typeText(w.MeiCode, QStringLiteral("1332"));
    ASSERT_EQ(w.KabukaList->count(), 40);
    mouseClick(w.chartView, QPoint(200 + 5 * 3, 300));
    EXPECT_EQ(w.KabukaList->currentRow(), 2) << "the candle of position 3 is record 2";
    EXPECT_EQ(labelText("LblDate"), w.KabukaList->item(2)->text().left(8));
    mouseClick(w.chartView, QPoint(200, 300));
    EXPECT_EQ(w.KabukaList->currentRow(), 2) << "left of the first candle selects nothing";
    mouseClick(w.chartView, QPoint(200 + 5 * 41, 300));
    EXPECT_EQ(w.KabukaList->currentRow(), 2) << "right of the last candle selects nothing";
    mouseClick(w.chartView, QPoint(200 + 5 * 40, 300));
    EXPECT_EQ(w.KabukaList->currentRow(), 39);
}

TEST_F(NavigationTest, WeeklyAndBackKeepsIssueAndBaseDate)
{
    addWeeklyRows(1301, 60, today());
    frmMain &w = openWindow();
    typeText(w.MeiCode, QStringLiteral("1301"));
    w.chartDate->setText(QStringLiteral("24/05/31"));
    ASSERT_TRUE(w.KabukaList->item(w.KabukaList->count() - 1)->text().startsWith(QStringLiteral("24/05/31")));

    w.Cmdchange->click();
    EXPECT_EQ(MainModule::PeriodMode, 2);
    EXPECT_TRUE(w.windowTitle().endsWith(QStringLiteral("(週)")));
    EXPECT_EQ(w.palette().color(QPalette::Window), QColor(128, 128, 128));
    EXPECT_EQ(w.Cmdchange->text(), QStringLiteral("日　足　チャートへ"));
    EXPECT_EQ(w.mnuchartdayandweek->text(), QStringLiteral("日チャートを表示"));
    EXPECT_EQ(w.MeiCode->text(), QStringLiteral("1301"));
    EXPECT_EQ(w.chartDate->text(), QStringLiteral("24/05/31"));
    EXPECT_EQ(w.series().Count, 58) << "weekly rows up to the base date";

    w.mnuchartdayandweek->trigger();
    EXPECT_EQ(MainModule::PeriodMode, 1);
    EXPECT_TRUE(w.windowTitle().endsWith(QStringLiteral("(日)")));
    EXPECT_EQ(w.mnuchartdayandweek->text(), QStringLiteral("週チャートを表示"));
    EXPECT_EQ(w.chartDate->text(), QStringLiteral("24/05/31"));
    EXPECT_EQ(w.series().Count, 110);
    EXPECT_EQ(w.LblMei->text(), QStringLiteral("極洋"));
}

TEST_F(NavigationTest, LowerPanelButtonCyclesWithThePeriodsCaption)
{
    frmMain &w = openWindow();
    const auto cycle = [&] {
        QStringList captions;
        for (int i = 0; i < 5; ++i) {
            w.CmdSRLRSI->click();
            captions.append(w.CmdSRLRSI->text());
        }
        return captions;
    };
    EXPECT_EQ(cycle(), (QStringList{QStringLiteral("RSI VR"), QStringLiteral("ｻｲｺﾛｼﾞｶﾙ"), QStringLiteral("伊藤ﾚｼｵ"), QStringLiteral("表示なし"), QStringLiteral("ALL")}));
    w.Cmdchange->click();
    EXPECT_EQ(cycle()[2], QStringLiteral("信用取引"));
    EXPECT_EQ(w.displayOptions().lowerPanelMode, 0);
}

TEST_F(NavigationTest, AverageButtonAndCheckBoxesChangeOnlyWhatIsDrawn)
{
    frmMain &w = openWindow();
    typeText(w.MeiCode, QStringLiteral("1301"));
    const QDate first = w.series().Records[0].Date;
    w.Cmdidoheikin->click();
    EXPECT_EQ(w.Cmdidoheikin->text(), QStringLiteral("移動平均無"));
    EXPECT_FALSE(chart::averagesShown(w.displayOptions().colourTable));
    w.Cmdidoheikin->click();
    EXPECT_EQ(w.Cmdidoheikin->text(), QStringLiteral("移動平均有"));
    EXPECT_EQ(w.displayOptions().colourTable, chart::defaultColourTable());
    w.Chkdekidaka->click();
    EXPECT_FALSE(w.displayOptions().volume);
    w.Chknijikyokusenn->click();
    EXPECT_TRUE(w.displayOptions().curve);
    EXPECT_EQ(w.series().Records[0].Date, first) << "no reload";
    EXPECT_EQ(w.KabukaList->count(), 110);
}

TEST_F(NavigationTest, DateBoxReloadsOnValidDatesOnlyAndReportsADateBeforeEveryRow)
{
    frmMain &w = openWindow();
    typeText(w.MeiCode, QStringLiteral("1301"));
    w.chartDate->setText(QStringLiteral("24/05/31"));
    ASSERT_TRUE(w.KabukaList->item(109)->text().startsWith(QStringLiteral("24/05/31")));
    w.chartDate->setText(QStringLiteral("24/02/30"));
    EXPECT_TRUE(w.KabukaList->item(109)->text().startsWith(QStringLiteral("24/05/31")));
    w.chartDate->setText(QStringLiteral("2024-06-10"));
    EXPECT_TRUE(w.KabukaList->item(109)->text().startsWith(QStringLiteral("24/06/10")));
    // Typed character by character, "24/06/1" is already a date: nothing happens until the last digit.
    w.chartDate->clear();
    typeText(w.chartDate, QStringLiteral("24061")); // the box puts the slashes in
    ASSERT_EQ(w.chartDate->text(), QStringLiteral("24/06/1"));
    EXPECT_TRUE(w.KabukaList->item(109)->text().startsWith(QStringLiteral("24/06/10")));
    typeText(w.chartDate, QStringLiteral("3"));
    EXPECT_TRUE(w.KabukaList->item(109)->text().startsWith(QStringLiteral("24/06/13")));
    // The scroll bar follows the typed date, and the next arrow step goes on from there.
    EXPECT_LT(w.HScroll->value(), 32767);
    EXPECT_EQ(chart::dateOfScrollValue(w.scrollCalibration(), w.HScroll->value()), QDate(2024, 6, 13));
    w.chartDate->setText(QStringLiteral("24/03/01"));
    w.HScroll->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(w.chartDate->text(), QStringLiteral("24/03/04")) << "Friday to Monday";
    // Enter takes the short form.
    w.chartDate->setText(QStringLiteral("24/6/7"));
    keyClick(w.chartDate, Qt::Key_Return);
    EXPECT_TRUE(w.KabukaList->item(109)->text().startsWith(QStringLiteral("24/06/07")));
    EXPECT_TRUE(prompt.messages().isEmpty());
    // A date before every row shows the message and an empty chart.
    w.chartDate->setText(QStringLiteral("90/01/05"));
    EXPECT_EQ(prompt.messages(), QStringList{QStringLiteral("基準日からの表示するデーターがありません。")});
    EXPECT_EQ(w.series().Count, 0);
    EXPECT_EQ(w.KabukaList->count(), 0);
}

TEST_F(NavigationTest, KeysF1SpaceAndShiftSpaceMoveFromAnywhere)
{
    frmMain &w = openWindow();
    keyClick(w.chartDate, Qt::Key_Space);
    EXPECT_EQ(w.ListMei->currentRow(), 1);
    EXPECT_EQ(w.MeiCode->text(), QStringLiteral("1332"));
    keyClick(w.MeiCode, Qt::Key_Space);
    EXPECT_EQ(w.MeiCode->text(), QStringLiteral("1332")) << "the last entry stays";
    keyClick(w.MeiCode, Qt::Key_Space, Qt::ShiftModifier);
    EXPECT_EQ(w.MeiCode->text(), QStringLiteral("1301"));
    keyClick(w.ListMei, Qt::Key_Space, Qt::ShiftModifier);
    EXPECT_EQ(w.ListMei->currentRow(), 0) << "the first entry stays";
    keyClick(w.ListMei, Qt::Key_F1);
    EXPECT_TRUE(w.MeiCode->text().isEmpty());
}

} // namespace

// After an import the list and the chart show what is stored now: an empty list is filled and its
// first issue shown; a shown issue is loaded again; a list of chosen issues keeps its order and
// loses only the issues no longer registered.
TEST_F(NavigationTest, StoredDataChangesShowTheListAndTheChartAgain)
{
    {
        db::Database d(MainModule::DBPath);
        d.execute(QStringLiteral("delete from Mei"));
    }
    frmMain &w = openWindow();
    ASSERT_EQ(w.ListMei->count(), 0);
    onNextModal([](QWidget *importWindow) { ASSERT_TRUE(importWindow); });
    addIssue(1301, 1, QStringLiteral("極洋"));
    addIssue(1332, 2, QStringLiteral("ﾆｯｽｲ"));
    w.command(QStringLiteral("mnuReadData"))->trigger(); // the import window, closed at once
    EXPECT_EQ(listEntries(w.ListMei), (QStringList{QStringLiteral("1301 東１ 極洋"), QStringLiteral("1332 東２ ﾆｯｽｲ")}));
    EXPECT_EQ(w.ListMei->currentRow(), 0);
    EXPECT_EQ(w.MeiCode->text(), QStringLiteral("1301"));
    EXPECT_EQ(w.LblMei->text(), QStringLiteral("極洋"));
    EXPECT_EQ(w.KabukaList->count(), 110);

    w.MeiCode->clear();
    typeText(w.MeiCode, QStringLiteral("1332"));
    ASSERT_EQ(w.series().Count, 40);
    addDailyRows(1332, 30, today().addDays(-80), 500);
    {
        db::Database d(MainModule::DBPath);
        d.execute(QStringLiteral("update Mei set 銘柄='極洋本社' where コード=1301"));
    }
    w.storedDataChanged();
    EXPECT_EQ(w.MeiCode->text(), QStringLiteral("1332"));
    EXPECT_EQ(w.series().Count, 70) << "the shown issue is loaded again";
    EXPECT_EQ(w.ListMei->currentRow(), 1);
    EXPECT_EQ(w.ListMei->item(0)->text(), QStringLiteral("1301 東１ 極洋本社"));

    w.replaceIssueList({QStringLiteral("1332 東２ ﾆｯｽｲ"), QStringLiteral("1301 東１ 極洋")});
    {
        db::Database d(MainModule::DBPath);
        d.execute(QStringLiteral("delete from Mei where コード=1332"));
    }
    w.storedDataChanged();
    EXPECT_EQ(listEntries(w.ListMei), QStringList{QStringLiteral("1301 東１ 極洋本社")});
    EXPECT_EQ(w.MeiCode->text(), QStringLiteral("1301")) << "the shown issue left the registration";
    EXPECT_EQ(w.LblMei->text(), QStringLiteral("極洋本社"));
    EXPECT_EQ(w.series().Count, 110);
}

// Rows that take the same room are laid out from the first one's size: the list must stand exactly
// as when each row is sized by itself, and a row wider than the rest must keep its own size.
TEST_F(NavigationTest, PriceListRowsStandWhereTheyWouldWhenSizedOneByOne)
{
    addIssue(1333, 1, QStringLiteral("大型"));
    addDailyRows(1333, 60, today());
    {
        db::Database d(MainModule::DBPath);
        // A change of 2e13 yen after the price unit is longer than its column, on a row that is
        // neither the first nor the selected one.
        d.execute(QStringLiteral("update Mei set 株価単位 = 10000 where コード = 1333"));
        d.execute(QStringLiteral("update dayData set 前日比 = 2000000000 where コード = 1333 and 日付 = %1")
                      .arg(db::dateLiteral(today().addDays(-14))));
    }
    frmMain &w = openWindow();
    w.show();
    w.KabukaList->setFixedWidth(300); // narrower than a row, so that the widest row sets the scroll range
    for (const auto &[code, uniform] : {std::pair{QStringLiteral("1301"), true}, {QStringLiteral("1333"), false}}) {
        typeText(w.MeiCode, code);
        letEventsRun(20);
        ASSERT_GT(w.KabukaList->count(), 50) << qPrintable(code);
        EXPECT_EQ(w.KabukaList->uniformItemSizes(), uniform) << qPrintable(code);
        const auto layout = [&] {
            std::vector<QRect> rects;
            for (int i = 0; i < w.KabukaList->count(); ++i)
                rects.push_back(w.KabukaList->visualItemRect(w.KabukaList->item(i)));
            return std::pair{rects, w.KabukaList->horizontalScrollBar()->maximum()};
        };
        const auto shown = layout();
        w.KabukaList->setUniformItemSizes(false);
        letEventsRun(20);
        EXPECT_EQ(layout(), shown) << qPrintable(code);
    }
}

// The view paints through the widget's own painter (the frame copied where it maps pixel for pixel):
// what it shows must be the chart as drawn on an image, in daily and weekly colours.
TEST_F(NavigationTest, TheChartViewShowsTheChartAsDrawnOnAnImage)
{
    frmMain &w = openWindow();
    w.show();
    typeText(w.MeiCode, QStringLiteral("1301"));
    letEventsRun(20);
    ASSERT_EQ(w.series().Count, 110);
    const QRect outer(QPoint(chart::layout::OuterLeft, chart::layout::OuterTop),
                      QPoint(chart::layout::OuterRight, chart::layout::OuterBottom));
    for (const std::uint32_t background : {chart::colours::WindowDaily, chart::colours::WindowWeekly}) {
        chart::ChartDisplayOptions options = w.displayOptions();
        options.windowBackground = background;
        ChartView view(w.series(), options);
        const QImage shown = view.grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QImage drawn = chart::RenderChartImage(w.series(), options, false);
        EXPECT_EQ(shown.copy(outer), drawn.copy(outer)) << background;
    }
}
