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

class MenuTest : public MainWindowTest
{
protected:
    QStringList captionsOf(QMenu *menu) const
    {
        QStringList out;
        for (QAction *a : menu->actions()) {
            if (!a->isSeparator())
                out.append(a->objectName() + QLatin1Char('=') + a->text() + QLatin1Char('|')
                           + a->shortcut().toString(QKeySequence::PortableText));
        }
        return out;
    }
};

TEST_F(MenuTest, TopLevelMenusAndTheirItemsInOrder)
{
    frmMain &w = openWindow();
    QStringList tops;
    for (QAction *a : w.menuBar()->actions())
        tops.append(a->text());
    EXPECT_EQ(tops, (QStringList{QStringLiteral("ﾌｧｲﾙ"), QStringLiteral("編集"), QStringLiteral("ﾁｬｰﾄ"), QStringLiteral("株価ボード"), QStringLiteral("株式情報"), QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報")}));
    const QList<QAction *> menus = w.menuBar()->actions();
    EXPECT_EQ(captionsOf(menus[0]->menu()),
              (QStringList{QStringLiteral("mnuReadData=株価ﾃﾞｰﾀ読込|Ctrl+R"), QStringLiteral("mnuReadShinyoData=信用ﾃﾞｰﾀ読込み|"),
                           QStringLiteral("mnuMeiRegistData=銘柄登録読込み|"), QStringLiteral("mnuMakeSyuData=週データー作成|"),
                           QStringLiteral("mnuIntMeiRegistData=ｲﾝﾀｰﾈｯﾄで銘柄登録読込み|"), QStringLiteral("mnuEnd=終　了|")}));
    EXPECT_EQ(captionsOf(menus[2]->menu()),
              (QStringList{QStringLiteral("mnuchartdayandweek=週チャートを表示|Ctrl+T"),
                           QStringLiteral("mnuchartslideshow=ﾁｬｰﾄ・ｽﾗｲﾄﾞｼｮｰ・ｽﾀｰﾄ|Ctrl+S")}));
    const QStringList edit = captionsOf(menus[1]->menu());
    ASSERT_EQ(edit.size(), 12);
    EXPECT_EQ(edit[5], QStringLiteral("mnuDelList=銘柄リストから削除|Del"));
    EXPECT_EQ(edit[11], QStringLiteral("mnuZenjitusaKeisan=前日比再計算|"));
    const QStringList board = captionsOf(menus[3]->menu());
    ASSERT_EQ(board.size(), 14);
    EXPECT_EQ(board[4], QStringLiteral("mnuKabukaboardADel=株価ボードAから削除|Ctrl+C"));
    EXPECT_EQ(board[13], QStringLiteral("mnuBtoA=株価ボードＢからＡへ移動|Ctrl+Y"));
    const QStringList info = captionsOf(menus[4]->menu());
    ASSERT_EQ(info.size(), 10);
    EXPECT_EQ(info[2], QStringLiteral("mnuJyohouList=情報銘柄検索|Ctrl+K"));
    EXPECT_EQ(captionsOf(menus[5]->menu()),
              (QStringList{QStringLiteral("mnuabout=ﾊﾞｰｼﾞｮﾝ情報|"), QStringLiteral("mnuGaibuRun=外部ファイル実行|"),
                           QStringLiteral("mnuVelkaaHP=Velka株式情報ＨＰ|"), QStringLiteral("mnuHelp=ヘルプ|")}));
}

TEST_F(MenuTest, CommandsWithoutAHandlerAreDisabledAndSaySo)
{
    frmMain &w = openWindow();
    const ui::CommandTable table = mainWindowCommands();
    int later = 0;
    for (const ui::Menu &menu : table.menus()) {
        for (const ui::MenuEntry &item : menu.items) {
            QAction *a = w.command(item.command.name);
            ASSERT_NE(a, nullptr) << item.command.name.toStdString();
            const bool available = bool(item.command.handler);
            EXPECT_EQ(a->isEnabled(), available) << item.command.name.toStdString();
            if (!available) {
                ++later;
                EXPECT_EQ(a->toolTip(), QStringLiteral("この機能はまだ利用できません。"));
            }
        }
    }
    EXPECT_GT(later, 20);
    EXPECT_FALSE(w.command(QStringLiteral("mnurestore"))->isEnabled());
    EXPECT_TRUE(w.command(QStringLiteral("mnuKabkaEdit"))->isEnabled());
}

TEST_F(MenuTest, ToolbarButtonsHaveKeysTooltipsAndIcons)
{
    frmMain &w = openWindow();
    QStringList keys;
    for (QAction *a : w.Toolbar->actions()) {
        if (a->isSeparator())
            continue;
        keys.append(a->objectName());
        EXPECT_FALSE(a->icon().isNull()) << a->objectName().toStdString();
        EXPECT_FALSE(a->icon().pixmap(24, 24).isNull()) << a->objectName().toStdString();
    }
    EXPECT_EQ(keys.size(), 18);
    EXPECT_EQ(keys.first(), QStringLiteral("ChartButton"));
    EXPECT_EQ(keys.last(), QStringLiteral("kabukanriButton"));
    EXPECT_EQ(w.command(QStringLiteral("ChartslideButton"))->toolTip(),
              QStringLiteral("チャートのスライドショースタートとストップ"));
    EXPECT_EQ(w.command(QStringLiteral("OptionButton"))->toolTip(), QStringLiteral("ｵﾌﾟｼｮﾝ設定"));
    EXPECT_FALSE(w.command(QStringLiteral("KaboardAButton"))->isEnabled());
    EXPECT_TRUE(w.command(QStringLiteral("KaboardAButton"))->toolTip().contains(QStringLiteral("まだ利用できません")));
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

TEST_F(SlideShowTest, RunsThroughTheListAndStopsOnTheLastEntry)
{
    frmMain &w = openWindow();
    w.ListMei->setCurrentRow(1);
    w.mnuchartslideshow->trigger();
    EXPECT_TRUE(w.chartTimer->isActive());
    EXPECT_EQ(w.chartTimer->interval(), 10);
    EXPECT_EQ(w.mnuchartslideshow->text(), QStringLiteral("ﾁｬｰﾄ・ｽﾗｲﾄﾞｼｮｰ・ｽﾄｯﾌﾟ"));
    EXPECT_EQ(w.MeiCode->text(), QStringLiteral("1332")) << "the selected entry is shown first";
    ASSERT_TRUE(waitFor([&] { return !w.chartTimer->isActive(); }, 5000));
    EXPECT_EQ(w.MeiCode->text(), QStringLiteral("1333"));
    EXPECT_EQ(w.ListMei->currentRow(), 2);
    EXPECT_EQ(w.mnuchartslideshow->text(), QStringLiteral("ﾁｬｰﾄ・ｽﾗｲﾄﾞｼｮｰ・ｽﾀｰﾄ"));
}

TEST_F(SlideShowTest, SecondStartStopsTheShow)
{
    MainModule::slidechart = 60;
    frmMain &w = openWindow();
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
    keyClicks(w.MeiCode, QStringLiteral("99"));
    ASSERT_EQ(w.ListMei->count(), 0);
    w.mnuchartslideshow->trigger();
    ASSERT_TRUE(waitFor([&] { return !w.chartTimer->isActive(); }, 5000));
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
