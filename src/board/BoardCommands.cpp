#include "board/BoardCommands.h"

#include "base/AppServices.h"
#include "base/MainModule.h"
#include "base/Ports.h"
#include "board/BoardStore.h"
#include "board/Dialup.h"
#include "board/frmKabukaboard.h"
#include "db/DbError.h"
#include "ui/CommandTable.h"

#include <QWidget>

#include <memory>

namespace {

board::BoardContext contextOf(ui::CommandContext &c)
{
    return {MainModule::DBPath, *c.services.prompt, c.services.clock->today()};
}

// The main window in front of the board window, restored when minimised, to show the chart. It is
// not activated: it stays blocked while the board is open, and the board keeps the keyboard.
void bringToFront(QWidget &mainWindow)
{
    if (mainWindow.isMinimized())
        mainWindow.setWindowState(mainWindow.windowState() & ~Qt::WindowMinimized);
    mainWindow.raise();
}

void showBoard(ui::CommandContext &c, int kind)
{
    frmKabukaboard::Hooks hooks;
    ui::MainWindowAccess *main = &c.main;
    QWidget *mainWindow = &c.window;
    hooks.showChart = [main, mainWindow](const QString &code) {
        main->showIssue(code);
        bringToFront(*mainWindow);
    };
    hooks.findIssue = [main](QWidget *window, QLineEdit *codeBox) { main->findIssue(window, codeBox); };
    // Without an owner the board window can go behind the main window when a chart is shown (an
    // owned window always stays in front of its owner); being modal, it still blocks the main
    // window.
    frmKabukaboard window(c.services, kind, hooks);
    window.move(mainWindow->geometry().center() - window.rect().center());
    window.exec();
}

// The board the issue list was last filled with, and its entries then: after a removal or a move
// the list is filled from that board again while it still shows it, else from the code box.
struct ListedBoard
{
    int kind = 0;
    QStringList entries;
};

void listBoard(ui::CommandContext &c, ListedBoard &listed, int kind)
{
    std::vector<ui::ListedIssue> issues;
    try {
        for (const board::BoardIssue &issue : board::ListBoard(MainModule::DBPath, kind))
            issues.push_back({issue.code, issue.market, issue.name});
    } catch (const db::DbError &e) {
        c.services.prompt->inform(e.description(), QStringLiteral("ミラベル"), PromptIcon::Critical);
        return;
    }
    c.main.showList(issues);
    listed = {kind, c.main.listEntries()};
}

void rebuildList(ui::CommandContext &c, ListedBoard &listed)
{
    if (listed.kind != 0 && c.main.listEntries() == listed.entries) {
        const int row = c.main.selectedListRow();
        listBoard(c, listed, listed.kind);
        c.main.selectListRow(row);
        return;
    }
    listed.kind = 0;
    c.main.rebuildList();
}

void registerIssue(ui::CommandContext &c, int kind)
{
    const bool slideShow = c.main.pauseSlideShow();
    board::RegisterOnBoard(contextOf(c), kind, c.main.issueCode(), c.main.issueName(), c.main.issueMarket());
    c.main.resumeSlideShow(slideShow);
}

void deleteIssue(ui::CommandContext &c, ListedBoard &listed, int kind)
{
    if (c.main.codeBoxHasFocus())
        return;
    const bool slideShow = c.main.pauseSlideShow();
    const QString code = c.main.issueCode().trimmed();
    if (board::DeleteFromBoard(contextOf(c), kind, code, c.main.issueName(), c.main.issueMarket())) {
        const int row = c.main.selectedListRow();
        if (row >= 0 && c.main.listEntries().at(row).left(4).trimmed() == code)
            rebuildList(c, listed);
    }
    c.main.resumeSlideShow(slideShow);
}

void moveListedIssue(ui::CommandContext &c, ListedBoard &listed, int fromKind)
{
    const int row = c.main.selectedListRow();
    bool numeric = false;
    const qint32 code = row >= 0 ? c.main.listEntries().at(row).left(4).trimmed().toInt(&numeric) : 0;
    if (!numeric) {
        c.services.prompt->inform(QStringLiteral("株価ボードデーターを移動できません。"));
        return;
    }
    if (board::MoveBoardIssue(contextOf(c), fromKind, code, board::moveTitle(fromKind)))
        rebuildList(c, listed);
}

// A dial-up line left open is offered for hanging up when the program ends.
void offerHangUp(ui::CommandContext &c)
{
    if (!Dialup::IsDialupConnected(true))
        return;
    if (c.services.prompt->askYesNo(QStringLiteral("ﾀﾞｲﾔﾙｱｯﾌﾟを切断します　よろしいですか？"), QStringLiteral("ﾀﾞｲﾔﾙｱｯﾌﾟ"),
                                    PromptIcon::Information))
        Dialup::HangUpDialup();
}

} // namespace

void registerBoardCommands(ui::CommandTable &table)
{
    const QString board = QStringLiteral("mnuBoard");
    table.addMenu(board, QStringLiteral("株価ボード"), 40);
    using board::BoardA;
    using board::BoardB;
    const auto listed = std::make_shared<ListedBoard>();
    auto show = [](int kind) -> ui::CommandHandler { return [kind](ui::CommandContext &c) { showBoard(c, kind); }; };
    auto enter = [](int kind) -> ui::CommandHandler { return [kind](ui::CommandContext &c) { registerIssue(c, kind); }; };
    auto remove = [listed](int kind) -> ui::CommandHandler {
        return [listed, kind](ui::CommandContext &c) { deleteIssue(c, *listed, kind); };
    };
    auto list = [listed](int kind) -> ui::CommandHandler {
        return [listed, kind](ui::CommandContext &c) { listBoard(c, *listed, kind); };
    };
    auto save = [](int kind) -> ui::CommandHandler {
        return [kind](ui::CommandContext &c) { board::SaveBoardCommand(contextOf(c), kind); };
    };
    auto load = [](int kind) -> ui::CommandHandler {
        return [kind](ui::CommandContext &c) {
            if (board::LoadBoardCommand(contextOf(c), kind))
                showBoard(c, kind);
        };
    };
    auto move = [listed](int fromKind) -> ui::CommandHandler {
        return [listed, fromKind](ui::CommandContext &c) { moveListedIssue(c, *listed, fromKind); };
    };
    const struct
    {
        const char16_t *name;
        const char16_t *caption;
        const char16_t *shortcut;
        bool separatorBefore;
        ui::CommandHandler handler;
    } items[] = {
        {u"mnuKabukaboardA", u"株価ボードA表示", u"", false, show(BoardA)},
        {u"mnuKabukaboardB", u"株価ボードB表示", u"", false, show(BoardB)},
        {u"mnuKabukaboardAIn", u"株価ボードAへ登録", u"Ctrl+A", true, enter(BoardA)},
        {u"mnuKabukaboardBIn", u"株価ボードBへ登録", u"Ctrl+B", false, enter(BoardB)},
        {u"mnuKabukaboardADel", u"株価ボードAから削除", u"Ctrl+C", true, remove(BoardA)},
        {u"mnuKabukaboardBDel", u"株価ボードBから削除", u"Ctrl+D", false, remove(BoardB)},
        {u"mnuKabukaboardAList", u"株価ボードAを銘柄リストへ", u"Ctrl+M", true, list(BoardA)},
        {u"mnuKabukaboardBList", u"株価ボードBを銘柄リストへ", u"Ctrl+N", false, list(BoardB)},
        {u"mnuKabukaboardATxtSave", u"株価ボードAを保存", u"", true, save(BoardA)},
        {u"mnuKabukaboardBTxtSave", u"株価ボードBを保存", u"", false, save(BoardB)},
        {u"mnuKabukaboardATxtLoad", u"株価ボードAを保存から入力", u"", false, load(BoardA)},
        {u"mnuKabukaboardBTxtLoad", u"株価ボードBを保存から入力", u"", false, load(BoardB)},
        {u"mnuAtoB", u"株価ボードＡからＢへ移動", u"Ctrl+X", true, move(BoardA)},
        {u"mnuBtoA", u"株価ボードＢからＡへ移動", u"Ctrl+Y", false, move(BoardB)},
    };
    int position = 10;
    for (const auto &item : items) {
        table.addMenuItem(board, position, {QString::fromUtf16(item.name), QString::fromUtf16(item.caption), QString::fromUtf16(item.shortcut), {}, item.separatorBefore, item.handler});
        position += 10;
    }

    table.addButton(30, {QStringLiteral("LKboardAButton"), QStringLiteral("株価ボードAリスト"), {}, QStringLiteral("board-a-list"), true, list(BoardA)});
    table.addButton(40, {QStringLiteral("LKboardBButton"), QStringLiteral("株価ボードBリスト"), {}, QStringLiteral("board-b-list"), false, list(BoardB)});
    table.addButton(50, {QStringLiteral("inboardAButton"), QStringLiteral("株価ボードAへ登録"), {}, QStringLiteral("board-a-add"), false, enter(BoardA)});
    table.addButton(60, {QStringLiteral("inboardBButton"), QStringLiteral("株価ボードBへ登録"), {}, QStringLiteral("board-b-add"), false, enter(BoardB)});
    table.addButton(70, {QStringLiteral("KaboardAButton"), QStringLiteral("株価ボードA表示"), {}, QStringLiteral("board-a"), false, show(BoardA)});
    table.addButton(80, {QStringLiteral("KaboardBButton"), QStringLiteral("株価ボードB表示"), {}, QStringLiteral("board-b"), false, show(BoardB)});

    table.onFirstRun([](ui::CommandContext &) {
        if (Dialup::IsDialupConnected(true))
            Dialup::HangUpDialup();
    });
    table.onClosing(offerHangUp);
}
