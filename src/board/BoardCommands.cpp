#include "board/BoardCommands.h"

#include "base/AppServices.h"
#include "base/Ports.h"
#include "board/Dialup.h"
#include "ui/CommandTable.h"

namespace {

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
    const struct
    {
        const char16_t *name;
        const char16_t *caption;
        const char16_t *shortcut;
        bool separatorBefore;
    } items[] = {
        {u"mnuKabukaboardA", u"株価ボードA表示", u"", false},
        {u"mnuKabukaboardB", u"株価ボードB表示", u"", false},
        {u"mnuKabukaboardAIn", u"株価ボードAへ登録", u"Ctrl+A", true},
        {u"mnuKabukaboardBIn", u"株価ボードBへ登録", u"Ctrl+B", false},
        {u"mnuKabukaboardADel", u"株価ボードAから削除", u"Ctrl+C", true},
        {u"mnuKabukaboardBDel", u"株価ボードBから削除", u"Ctrl+D", false},
        {u"mnuKabukaboardAList", u"株価ボードAを銘柄リストへ", u"Ctrl+M", true},
        {u"mnuKabukaboardBList", u"株価ボードBを銘柄リストへ", u"Ctrl+N", false},
        {u"mnuKabukaboardATxtSave", u"株価ボードAを保存", u"", true},
        {u"mnuKabukaboardBTxtSave", u"株価ボードBを保存", u"", false},
        {u"mnuKabukaboardATxtLoad", u"株価ボードAを保存から入力", u"", false},
        {u"mnuKabukaboardBTxtLoad", u"株価ボードBを保存から入力", u"", false},
        {u"mnuAtoB", u"株価ボードＡからＢへ移動", u"Ctrl+X", true},
        {u"mnuBtoA", u"株価ボードＢからＡへ移動", u"Ctrl+Y", false},
    };
    int position = 10;
    for (const auto &item : items) {
        table.addMenuItem(board, position, {QString::fromUtf16(item.name), QString::fromUtf16(item.caption), QString::fromUtf16(item.shortcut), {}, item.separatorBefore});
        position += 10;
    }

    table.addButton(30, {QStringLiteral("LKboardAButton"), QStringLiteral("株価ボードAリスト"), {}, QStringLiteral("board-a-list"), true});
    table.addButton(40, {QStringLiteral("LKboardBButton"), QStringLiteral("株価ボードBリスト"), {}, QStringLiteral("board-b-list")});
    table.addButton(50, {QStringLiteral("inboardAButton"), QStringLiteral("株価ボードAへ登録"), {}, QStringLiteral("board-a-add")});
    table.addButton(60, {QStringLiteral("inboardBButton"), QStringLiteral("株価ボードBへ登録"), {}, QStringLiteral("board-b-add")});
    table.addButton(70, {QStringLiteral("KaboardAButton"), QStringLiteral("株価ボードA表示"), {}, QStringLiteral("board-a")});
    table.addButton(80, {QStringLiteral("KaboardBButton"), QStringLiteral("株価ボードB表示"), {}, QStringLiteral("board-b")});

    table.onFirstRun([](ui::CommandContext &) {
        if (Dialup::IsDialupConnected(true))
            Dialup::HangUpDialup();
    });
    table.onClosing(offerHangUp);
}
