#include "mainwin/ChartCommands.h"

#include "base/MainModule.h"
#include "ui/CommandTable.h"

void registerChartCommands(ui::CommandTable &table)
{
    table.addMenuItem(QStringLiteral("mnuEdit"), 60,
                      {QStringLiteral("mnuDelList"), QStringLiteral("銘柄リストから削除"), QStringLiteral("Del"), {}, true, [](ui::CommandContext &c) { c.main.removeSelectedFromList(); }});

    table.addMenu(QStringLiteral("mnuChart"), QStringLiteral("ﾁｬｰﾄ"), 30);
    table.addMenuItem(QStringLiteral("mnuChart"), 10,
                      {QStringLiteral("mnuchartdayandweek"), QStringLiteral("週チャートを表示"), QStringLiteral("Ctrl+T"), {}, false, [](ui::CommandContext &c) { c.main.switchPeriod(); }});
    table.addMenuItem(QStringLiteral("mnuChart"), 20,
                      {QStringLiteral("mnuchartslideshow"), QStringLiteral("ﾁｬｰﾄ・ｽﾗｲﾄﾞｼｮｰ・ｽﾀｰﾄ"), QStringLiteral("Ctrl+S"), {}, true, [](ui::CommandContext &c) {
                           // From the menu the show starts at the list's current issue, not at the one typed.
                           MainModule::ListPicked = false;
                           c.main.toggleSlideShow();
                       }});

    table.addButton(10, {QStringLiteral("ChartButton"), QStringLiteral("チャート"), {}, QStringLiteral("chart"), false, [](ui::CommandContext &c) { c.main.showSelectedIssue(); }});
    table.addButton(20, {QStringLiteral("ChartslideButton"), QStringLiteral("チャートのスライドショースタートとストップ"), {}, QStringLiteral("slideshow"), false, [](ui::CommandContext &c) { c.main.toggleSlideShow(); }});
}
