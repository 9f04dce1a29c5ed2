#include "chart/ChartCommands.h"

#include "base/AppServices.h"
#include "base/MainModule.h"
#include "base/Ports.h"
#include "chart/frmEditKabuka.h"
#include "chart/frmEditMei.h"
#include "chart/frmMain.h"
#include "ui/CommandTable.h"

namespace {

frmMain &mainWindow(ui::CommandContext &c)
{
    return static_cast<frmMain &>(c.window);
}

void editPrices(ui::CommandContext &c)
{
    if (c.main.issueName().isEmpty()) {
        c.services.prompt->inform(QStringLiteral("銘柄コードを指定して下さい。"), QString(), PromptIcon::Information);
        return;
    }
    c.mainTag = c.main.issueCode() + QLatin1Char(',') + c.main.issueMarket() + QLatin1Char(',') + c.main.issueName();
    const QString question = QStringLiteral("株価メンテナンスを行います　よろしいですか？\n"
                                            "簡単に数字が変更されますので注意してください。");
    if (!c.services.prompt->askYesNo(question, QStringLiteral("確認"), PromptIcon::Information))
        return;
    ui::runModal<frmEditKabuka>(c);
}

} // namespace

void registerChartCommands(ui::CommandTable &table)
{
    const ui::CommandHandler editIssues = &ui::runModal<frmEditMei>;
    table.addMenuItem(QStringLiteral("mnuEdit"), 20,
                      {QStringLiteral("mnuKabkaEdit"), QStringLiteral("株価ﾃﾞｰﾀｰ編集"), {}, {}, true, editPrices});
    table.addMenuItem(QStringLiteral("mnuEdit"), 30,
                      {QStringLiteral("mnuMeiedit"), QStringLiteral("登録銘柄編集"), {}, {}, false, editIssues});
    table.addMenuItem(QStringLiteral("mnuEdit"), 60,
                      {QStringLiteral("mnuDelList"), QStringLiteral("銘柄リストから削除"), QStringLiteral("Del"), {}, true, [](ui::CommandContext &c) { mainWindow(c).RemoveFromList(); }});

    table.addMenu(QStringLiteral("mnuChart"), QStringLiteral("ﾁｬｰﾄ"), 30);
    table.addMenuItem(QStringLiteral("mnuChart"), 10,
                      {QStringLiteral("mnuchartdayandweek"), QStringLiteral("週チャートを表示"), QStringLiteral("Ctrl+T"), {}, false, [](ui::CommandContext &c) { mainWindow(c).switchPeriod(); }});
    table.addMenuItem(QStringLiteral("mnuChart"), 20,
                      {QStringLiteral("mnuchartslideshow"), QStringLiteral("ﾁｬｰﾄ・ｽﾗｲﾄﾞｼｮｰ・ｽﾀｰﾄ"), QStringLiteral("Ctrl+S"), {}, true, [](ui::CommandContext &c) {
                           // From the menu the show starts at the list's current issue, not at the one typed.
                           MainModule::ListPicked = false;
                           mainWindow(c).toggleSlideShow();
                       }});

    table.addButton(10, {QStringLiteral("ChartButton"), QStringLiteral("チャート"), {}, QStringLiteral("chart"), false, [](ui::CommandContext &c) { mainWindow(c).showSelectedIssue(); }});
    table.addButton(20, {QStringLiteral("ChartslideButton"), QStringLiteral("チャートのスライドショースタートとストップ"), {}, QStringLiteral("slideshow"), false, [](ui::CommandContext &c) { mainWindow(c).toggleSlideShow(); }});
    table.addButton(90, {QStringLiteral("KDMentButton"), QStringLiteral("株価データーメンテナンス"), {}, QStringLiteral("price-edit"), true, editPrices});
    table.addButton(100, {QStringLiteral("MMentButton"), QStringLiteral("登録銘柄メンテナンス"), {}, QStringLiteral("issue-edit"), false, editIssues});
}
