// Menus, toolbar, web pages, help, the version box, the slide show and the flashing request.

#include "MainWindowTestSupport.h"

#include "app/frmAbout.h"

#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTextBrowser>
#include <QToolBar>

using namespace mainwin_test;

namespace {

using MenuTest = MainWindowTest;

TEST_F(MenuTest, EveryMenuCommandHasItsHandlerAndAnEnabledAction)
{
    frmMain &w = openWindow();
    const ui::CommandTable table = mainWindowCommands();
    for (const ui::Menu &menu : table.menus()) {
        for (const ui::MenuEntry &item : menu.items) {
            QAction *a = w.command(item.command.name);
            ASSERT_NE(a, nullptr) << item.command.name.toStdString();
            EXPECT_TRUE(item.command.handler) << item.command.name.toStdString();
            EXPECT_TRUE(a->isEnabled()) << item.command.name.toStdString();
        }
    }
}

TEST_F(MenuTest, ToolbarButtonsHaveKeysTooltipsAndIcons)
{
    frmMain &w = openWindow();
    // Blank buttons appear where the image plugin is missing: every button must draw its icon.
    for (QAction *a : w.Toolbar->actions()) {
        if (a->isSeparator())
            continue;
        EXPECT_FALSE(a->icon().pixmap(24, 24).isNull()) << a->objectName().toStdString();
        EXPECT_FALSE(a->toolTip().isEmpty()) << a->objectName().toStdString();
    }
    EXPECT_EQ(w.command(QStringLiteral("OptionButton"))->toolTip(), QStringLiteral("ｵﾌﾟｼｮﾝ設定"));
}

TEST_F(MenuTest, InformationPagesNeedAnIssueAndOpenTheServersPage)
{
    addIssue(1301, 1, QStringLiteral("極洋"));
    MainModule::MURL = QStringLiteral("www.example.jp/");
    frmMain &w = openWindow();
    w.command(QStringLiteral("mnukyone"))->trigger();
    EXPECT_EQ(prompt.messages(), QStringList{QStringLiteral("銘柄コードを入力して下さい。")});
    EXPECT_TRUE(shell.opened.isEmpty());
    w.MeiCode->setText(QStringLiteral("1301"));
    w.command(QStringLiteral("mnuBSPL"))->trigger();
    w.command(QStringLiteral("mnuVelkaaHP"))->trigger();
    EXPECT_EQ(shell.opened, (QStringList{QStringLiteral("http://www.example.jp/default.asp?tp=d&co=1301"), QStringLiteral("http://www.example.jp/")}));
}

TEST_F(MenuTest, HelpAndExternalFile)
{
    frmMain &w = openWindow();
    w.command(QStringLiteral("mnuHelp"))->trigger();
    EXPECT_EQ(prompt.messages(), QStringList{QStringLiteral("ヘルプファイルをダウンロードして下さい。")});
    testing_support::writeCp932File(folder->filePath(QStringLiteral("htm/index.htm")), {QStringLiteral("<html></html>")});
    w.command(QStringLiteral("mnuHelp"))->trigger();
    ASSERT_EQ(shell.opened.size(), 1);
    EXPECT_TRUE(shell.opened[0].endsWith(QStringLiteral("index.htm")));

    prompt.answerPath(QString());
    w.command(QStringLiteral("mnuGaibuRun"))->trigger();
    prompt.answerPath(folder->filePath(QStringLiteral("missing.txt")));
    w.command(QStringLiteral("mnuGaibuRun"))->trigger();
    EXPECT_EQ(shell.opened.size(), 1) << "nothing chosen or a missing file opens nothing";
    prompt.answerPath(folder->filePath(QStringLiteral("htm/index.htm")));
    w.command(QStringLiteral("mnuGaibuRun"))->trigger();
    EXPECT_EQ(shell.opened.size(), 2);
}

TEST_F(MenuTest, VersionBoxNamesTheProgramAndTheLicences)
{
    frmMain &w = openWindow();
    QString text, version;
    onNextModal([&](QWidget *modal) {
        auto *about = qobject_cast<frmAbout *>(modal);
        ASSERT_NE(about, nullptr);
        text = about->TxtLicences->toPlainText();
        version = about->LblVersion->text();
    });
    w.command(QStringLiteral("mnuabout"))->trigger();
    EXPECT_TRUE(version.startsWith(QStringLiteral("Version ")));
    for (const char *needle : {"Qt", "LGPLv3", "SQLite", "パブリックドメイン", "GoogleTest", "BSD", "Noto", "OFL"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(needle))) << needle;
}

class SlideShowTest : public MenuTest
{
protected:
    void SetUp() override
    {
        MenuTest::SetUp();
        addIssue(1301, 1, QStringLiteral("極洋"));
        addIssue(1332, 1, QStringLiteral("日水"));
        addIssue(1333, 1, QStringLiteral("マルハ"));
        addDailyRows(1301, 30, today());
        addDailyRows(1332, 30, today());
        addDailyRows(1333, 30, today());
        MainModule::slidechart = 0.01f;
    }
};

TEST_F(SlideShowTest, RunsThroughTheListStopsOnTheLastEntryAndTogglesFromTheToolbar)
{
    frmMain &w = openWindow();
    w.ListMei->setCurrentRow(1);
    w.mnuchartslideshow->trigger();
    EXPECT_TRUE(w.chartTimer->isActive());
    EXPECT_EQ(w.chartTimer->interval(), 10);
    EXPECT_EQ(w.mnuchartslideshow->text(), QStringLiteral("ﾁｬｰﾄ・ｽﾗｲﾄﾞｼｮｰ・ｽﾄｯﾌﾟ"));
    EXPECT_EQ(w.MeiCode->text(), QStringLiteral("1332")) << "the selected entry is shown first";
    ASSERT_TRUE(waitFor([&] { return !w.chartTimer->isActive(); }));
    EXPECT_EQ(w.MeiCode->text(), QStringLiteral("1333"));
    EXPECT_EQ(w.ListMei->currentRow(), 2);
    EXPECT_EQ(w.mnuchartslideshow->text(), QStringLiteral("ﾁｬｰﾄ・ｽﾗｲﾄﾞｼｮｰ・ｽﾀｰﾄ"));

    // The toolbar button starts it again, and a second click stops it.
    MainModule::slidechart = 60;
    w.command(QStringLiteral("ChartslideButton"))->trigger();
    EXPECT_TRUE(w.chartTimer->isActive());
    EXPECT_EQ(w.chartTimer->interval(), 60000);
    w.command(QStringLiteral("ChartslideButton"))->trigger();
    EXPECT_FALSE(w.chartTimer->isActive());
    EXPECT_EQ(w.mnuchartslideshow->text(), QStringLiteral("ﾁｬｰﾄ・ｽﾗｲﾄﾞｼｮｰ・ｽﾀｰﾄ"));
}

TEST_F(SlideShowTest, StartedOnAnEmptyListShowsNothingAndStops)
{
    frmMain &w = openWindow();
    typeText(w.MeiCode, QStringLiteral("99"));
    ASSERT_EQ(w.ListMei->count(), 0);
    w.mnuchartslideshow->trigger();
    ASSERT_TRUE(waitFor([&] { return !w.chartTimer->isActive(); }));
    EXPECT_TRUE(w.LblMei->text().isEmpty());
    EXPECT_EQ(w.series().Count, 0);
}

TEST_F(MenuTest, MinimisedWindowFlashesOnlyAfterADownloadRequest)
{
    frmMain &w = openWindow();
    w.show();
    w.showMinimized();
    EXPECT_TRUE(w.blinkTimer->isActive());
    w.BlinkRequest = true;
    w.showNormal();
    EXPECT_FALSE(w.blinkTimer->isActive());
    EXPECT_FALSE(w.BlinkRequest) << "restoring the window ends the request";
}

} // namespace
