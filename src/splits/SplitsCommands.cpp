#include "splits/SplitsCommands.h"

#include "base/AppServices.h"
#include "base/Ports.h"
#include "splits/frmSplits.h"
#include "ui/CommandTable.h"

namespace {

// The events of the issue on show; the chart is loaded again when they changed.
void editSplits(ui::CommandContext &c)
{
    const ui::IssueRef issue = c.main.shownIssue();
    if (issue.name.isEmpty()) {
        c.services.prompt->inform(QStringLiteral("銘柄コードを指定して下さい。"), QString(), PromptIcon::Information);
        return;
    }
    frmSplits window(c.services, issue, &c.window);
    window.exec();
    if (window.changed()) {
        // The same code again would not load the chart anew: the code box is emptied first.
        c.main.showIssue(QString());
        c.main.showIssue(issue.code);
    }
}

} // namespace

void registerSplitsCommands(ui::CommandTable &table)
{
    table.addMenuItem(QStringLiteral("mnuEdit"), 60, {QStringLiteral("mnuSplits"), QStringLiteral("分割・併合の登録"), {}, {}, true, editSplits});
}
