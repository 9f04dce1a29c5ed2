#include "info/InfoCommands.h"

#include "base/AppServices.h"
#include "base/Helpers.h"
#include "base/MainModule.h"
#include "base/Ports.h"
#include "ui/CommandTable.h"

namespace {

// The data server's page of one kind (a..g) for the issue on show.
void openInfoPage(ui::CommandContext &c, const QString &kind)
{
    if (c.main.issueMarket().isEmpty() || c.main.issueName().isEmpty()) {
        c.services.prompt->inform(QStringLiteral("銘柄コードを入力して下さい。"), QString(), PromptIcon::Information);
        return;
    }
    if (c.services.shell)
        OpenWebPage(*c.services.shell,
                    MainModule::MURL + QStringLiteral("default.asp?tp=") + kind + QStringLiteral("&co=") + c.main.issueCode());
}

} // namespace

void registerInfoCommands(ui::CommandTable &table)
{
    const QString info = QStringLiteral("mnuInformation");
    table.addMenu(info, QStringLiteral("株式情報"), 50);
    table.addMenuItem(info, 10, {QStringLiteral("mnukabusikijyouhoopen"), QStringLiteral("株式情報表示"), QStringLiteral("Ctrl+J")});
    table.addMenuItem(info, 20, {QStringLiteral("mnuMeisyutoku"), QStringLiteral("株式情報取得")});
    table.addMenuItem(info, 30, {QStringLiteral("mnuJyohouList"), QStringLiteral("情報銘柄検索"), QStringLiteral("Ctrl+K")});
    const struct
    {
        const char16_t *name;
        const char16_t *caption;
        const char16_t *kind;
    } pages[] = {
        {u"mnukyone", u"株価今日の値動き", u"a"},
        {u"mnukyosyosai", u"株価詳細情報", u"b"},
        {u"mnusyosai", u"企業情報", u"c"},
        {u"mnuBSPL", u"BS・PL情報", u"d"},
        {u"mnugyoseki", u"業績推移", u"e"},
        {u"mnuseityoritu", u"成長率", u"f"},
        {u"mnukeijiban", u"掲示板", u"g"},
    };
    int position = 40;
    for (const auto &page : pages) {
        const QString kind = QString::fromUtf16(page.kind);
        table.addMenuItem(info, position, {QString::fromUtf16(page.name), QString::fromUtf16(page.caption), {}, {}, position == 40, [kind](ui::CommandContext &c) { openInfoPage(c, kind); }});
        position += 10;
    }

    table.addButton(160, {QStringLiteral("IntReadinfodataButton"), QStringLiteral("株式情報取得"), {}, QStringLiteral("download-info")});
    table.addButton(170, {QStringLiteral("InfodataButton"), QStringLiteral("株式情報"), {}, QStringLiteral("information")});
}
