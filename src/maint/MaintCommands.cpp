#include "maint/MaintCommands.h"

#include "base/AppServices.h"
#include "base/BusyGuard.h"
#include "base/MainModule.h"
#include "base/Ports.h"
#include "db/Database.h"
#include "maint/Compaction.h"
#include "maint/DataFiles.h"
#include "maint/frmBackUp.h"
#include "maint/frmCmpctMsg.h"
#include "maint/frmDatament.h"
#include "maint/frmDeleteData.h"
#include "maint/frmEditKabuka.h"
#include "maint/frmEditMei.h"
#include "maint/frmReadDelMei.h"
#include "ui/CommandTable.h"

#include <QCoreApplication>

namespace {

const QString OptimiseTitle = QStringLiteral("ｶﾞﾙﾃﾞｨｱ");

// The end-of-program question and, on yes, the compaction with its message window.
void offerCompaction(ui::CommandContext &c)
{
    try {
        db::Database database(MainModule::DBPath);
        database.openRecordset(QStringLiteral("daydata"), db::RecordsetType::Table).close();
    } catch (const db::DbError &) {
        // Nothing is held open; the question below still comes.
    }
    const QString question =
        QStringLiteral("ご使用ありがとうございました。\n\n時間がかかりますが株価データーを最適化とバックアップを行います。\n\n"
                       "最適化するなら　はい　そのまま終了なら　いいえ");
    if (!c.services.prompt->askYesNo(question, OptimiseTitle, PromptIcon::Information))
        return;
    QCoreApplication::processEvents();
    frmCmpctMsg message(&c.window);
    message.show();
    message.repaint();
    QString error;
    bool ok = false;
    {
        BusyGuard busy;
        ok = maint::CompactDatabase(MainModule::DBPath, &error);
    }
    message.close();
    if (!ok)
        c.services.prompt->inform(error, OptimiseTitle, PromptIcon::Critical);
}

// The price grid of the issue on show, after a warning that its numbers change at a keystroke.
void editPrices(ui::CommandContext &c)
{
    const ui::IssueRef issue = c.main.shownIssue();
    if (issue.name.isEmpty()) {
        c.services.prompt->inform(QStringLiteral("銘柄コードを指定して下さい。"), QString(), PromptIcon::Information);
        return;
    }
    const QString question = QStringLiteral("株価メンテナンスを行います　よろしいですか？\n"
                                            "簡単に数字が変更されますので注意してください。");
    if (!c.services.prompt->askYesNo(question, QStringLiteral("確認"), PromptIcon::Information))
        return;
    frmEditKabuka window(c.services, issue, &c.window);
    window.exec();
}

void exportPriceCsv(ui::CommandContext &c)
{
    maint::ExportShownIssueCsv(*c.services.prompt, c.main.issueCode(), c.main.issueMarket(), c.main.issueName(),
                               MainModule::PeriodMode);
}

void writeIssueList(ui::CommandContext &c)
{
    const QDate today = c.services.clock ? c.services.clock->today() : QDate::currentDate();
    maint::WriteIssueListFile(*c.services.prompt, c.main.listEntries(), today);
}

void readIssueList(ui::CommandContext &c)
{
    QStringList entries;
    if (maint::ReadIssueListFile(*c.services.prompt, &entries))
        c.main.replaceIssueList(entries);
}

} // namespace

void registerMaintCommands(ui::CommandTable &table)
{
    const QString edit = QStringLiteral("mnuEdit");
    table.addMenuItem(edit, 10, {QStringLiteral("mnurestore"), QStringLiteral("ﾃﾞｰﾀｰのﾊﾞｯｸｱｯﾌﾟ 復元"), {}, {}, false, &ui::runModalChangingData<frmBackUp>});
    table.addMenuItem(edit, 20, {QStringLiteral("mnuKabkaEdit"), QStringLiteral("株価ﾃﾞｰﾀｰ編集"), {}, {}, true, editPrices});
    table.addMenuItem(edit, 30, {QStringLiteral("mnuMeiedit"), QStringLiteral("登録銘柄編集"), {}, {}, false, &ui::runModal<frmEditMei>});
    table.addMenuItem(edit, 40, {QStringLiteral("mnukabukatyousa"), QStringLiteral("株価ﾃﾞｰﾀｰ調査"), {}, {}, false, &ui::runModal<frmDatament>});
    table.addMenuItem(edit, 50, {QStringLiteral("mnukabukaDeleteEdit"), QStringLiteral("株価ﾃﾞｰﾀｰ削除　変更"), {}, {}, false, &ui::runModalChangingData<frmDeleteData>});
    table.addMenuItem(edit, 70, {QStringLiteral("mnudataoutputcsv"), QStringLiteral("株価データCSV出力"), {}, {}, true, exportPriceCsv});
    table.addMenuItem(edit, 80, {QStringLiteral("mnuMeiListOutput"), QStringLiteral("銘柄ﾘｽﾄ出力"), {}, {}, false, writeIssueList});
    table.addMenuItem(edit, 90, {QStringLiteral("mnuMeiListInput"), QStringLiteral("銘柄ﾘｽﾄ出力から入力"), {}, {}, false, readIssueList});
    table.addMenuItem(edit, 110, {QStringLiteral("mnuErrMei"), QStringLiteral("エラー銘柄確認"), {}, {}, true, &ui::runModal<frmReadDelMei>});

    table.addButton(90, {QStringLiteral("KDMentButton"), QStringLiteral("株価データーメンテナンス"), {}, QStringLiteral("price-edit"), true, editPrices});
    table.addButton(100, {QStringLiteral("MMentButton"), QStringLiteral("登録銘柄メンテナンス"), {}, QStringLiteral("issue-edit"), false, &ui::runModal<frmEditMei>});
    table.addButton(110, {QStringLiteral("DMentButton"), QStringLiteral("株価データーメンテナンス"), {}, QStringLiteral("data-maintenance"), false, &ui::runModal<frmDatament>});
    table.addButton(120, {QStringLiteral("DataDelButton"), QStringLiteral("データー削除"), {}, QStringLiteral("data-delete"), false, &ui::runModalChangingData<frmDeleteData>});

    table.onClosing(offerCompaction);
}
