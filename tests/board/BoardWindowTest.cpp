// The board window's row buttons: what they say without a row, and the chart shown in the main
// window in front of the board window.

#include "board/BoardCommands.h"
#include "board/frmKabukaboard.h"

#include "base/AppServices.h"
#include "base/MainModule.h"
#include "net/HttpClient.h"
#include "support/TestSupport.h"
#include "ui/CommandTable.h"
#include "ui/RecordsetTableModel.h"

#include <QApplication>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

// The main window as the board commands see it: only the issue shown matters here.
class RecordingMainWindow final : public ui::MainWindowAccess
{
public:
    QString issueCode() const override { return shown.isEmpty() ? QString() : shown.last(); }
    QString issueMarket() const override { return {}; }
    QString issueName() const override { return {}; }
    void settingsChanged() override { }
    QStringList listEntries() const override { return {}; }
    int selectedListRow() const override { return -1; }
    void selectListRow(int) override { }
    void replaceIssueList(const QStringList &) override { }
    void showList(const std::vector<ui::ListedIssue> &) override { }
    void rebuildList() override { }
    void removeSelectedFromList() override { }
    void showIssue(const QString &code) override { shown.append(code); }
    void showSelectedIssue() override { }
    bool codeBoxHasFocus() const override { return false; }
    void findIssue(QWidget *, QLineEdit *) override { }
    void switchPeriod() override { }
    void toggleSlideShow() override { }
    bool pauseSlideShow() override { return false; }
    void resumeSlideShow(bool) override { }

    QStringList shown;
};

// Counts the times a window was raised above the others.
class RaiseCounter final : public QObject
{
public:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::ZOrderChange)
            ++raised;
        return false;
    }
    int raised = 0;
};

class BoardWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder.createDatabase();
        for (const char *row : {"1, 7203, 1, 'トヨタ'", "1, 8306, 1, '三菱ＵＦＪ'"})
            executeSql(QStringLiteral("insert into board (区分, コード, 市場コード, 銘柄) values (%1)").arg(QLatin1String(row)));
        services.prompt = &prompt;
        services.http = &http;
        services.clock = &clock;
    }
    void selectRow(frmKabukaboard &window, int row)
    {
        window.boardDBGrid->setCurrentIndex(window.boardData->index(row, 0));
    }

    TempProgramFolder folder;
    ScriptedPrompt prompt;
    FixedClock clock{QDate(2026, 12, 5)};
    HttpClient http; // the window's quote fetch holds it; these tests fetch nothing
    AppServices services;
};

} // namespace

TEST_F(BoardWindowTest, RowButtonsWithoutARowSayWhichRowTheyNeed)
{
    frmKabukaboard window(services, 1);
    ASSERT_EQ(window.boardData->rowCount(), 2);
    window.CmdfrmboardDel->click();
    window.Cmdto->click();
    window.Cmdselectedchart->click();
    EXPECT_EQ(prompt.messages(), QStringList({QStringLiteral("削除する銘柄の行を選択して下さい。"), QStringLiteral("移動する銘柄の行を選択して下さい。"), QStringLiteral("チャートを表示する銘柄の行を選択して下さい。")}));

    // With a row they go on to ask about it.
    selectRow(window, 1);
    prompt.answerNo();
    window.CmdfrmboardDel->click();
    EXPECT_EQ(prompt.questions(), QStringList{QStringLiteral("コード=8306 銘柄を株価ボードから削除しますよろしいですか？")});
}

TEST_F(BoardWindowTest, ChartComesToTheFrontInTheMainWindow)
{
    ui::CommandTable table;
    registerBoardCommands(table);
    ui::CommandHandler showBoardA;
    for (const ui::Menu &menu : table.menus())
        for (const ui::MenuEntry &entry : menu.items)
            if (entry.command.name == QStringLiteral("mnuKabukaboardA"))
                showBoardA = entry.command.handler;
    ASSERT_TRUE(showBoardA);

    QWidget mainWindow;
    mainWindow.resize(800, 600);
    mainWindow.show();
    mainWindow.setWindowState(Qt::WindowMinimized);
    RaiseCounter raises;
    mainWindow.installEventFilter(&raises);
    RecordingMainWindow main;
    ui::CommandContext context{mainWindow, services, main};

    bool boardOwned = true;
    int raisedBeforeChart = -1;
    QTimer::singleShot(0, [&] {
        auto *board = qobject_cast<frmKabukaboard *>(QApplication::activeModalWidget());
        if (!board) {
            ADD_FAILURE() << "the board window did not open";
            return;
        }
        // An owned window stays in front of its owner: the board must have none for the main
        // window to come in front of it.
        boardOwned = board->parentWidget() || (board->windowHandle() && board->windowHandle()->transientParent());
        raisedBeforeChart = raises.raised;
        selectRow(*board, 1);
        board->Cmdselectedchart->click();
        board->close();
    });
    showBoardA(context);

    EXPECT_EQ(main.shown, QStringList{QStringLiteral("8306")});
    EXPECT_FALSE(boardOwned);
    EXPECT_EQ(raisedBeforeChart, 0);
    EXPECT_GT(raises.raised, 0);
    EXPECT_FALSE(mainWindow.isMinimized());
    EXPECT_TRUE(prompt.messages().isEmpty());
}
