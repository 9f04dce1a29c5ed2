#include "maint/MaintCommands.h"

#include "base/AppServices.h"
#include "base/BusyGuard.h"
#include "base/MainModule.h"
#include "base/Ports.h"
#include "db/Database.h"
#include "maint/Compaction.h"
#include "maint/frmCmpctMsg.h"
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

} // namespace

void registerMaintCommands(ui::CommandTable &table)
{
    const QString edit = QStringLiteral("mnuEdit");
    table.addMenuItem(edit, 10, {QStringLiteral("mnurestore"), QStringLiteral("ﾃﾞｰﾀｰのﾊﾞｯｸｱｯﾌﾟ 復元")});
    table.addMenuItem(edit, 40, {QStringLiteral("mnukabukatyousa"), QStringLiteral("株価ﾃﾞｰﾀｰ調査")});
    table.addMenuItem(edit, 50, {QStringLiteral("mnukabukaDeleteEdit"), QStringLiteral("株価ﾃﾞｰﾀｰ削除　変更")});
    table.addMenuItem(edit, 70, {QStringLiteral("mnudataoutputcsv"), QStringLiteral("株価データCSV出力"), {}, {}, true});
    table.addMenuItem(edit, 80, {QStringLiteral("mnuMeiListOutput"), QStringLiteral("銘柄ﾘｽﾄ出力")});
    table.addMenuItem(edit, 90, {QStringLiteral("mnuMeiListInput"), QStringLiteral("銘柄ﾘｽﾄ出力から入力")});
    table.addMenuItem(edit, 110, {QStringLiteral("mnuErrMei"), QStringLiteral("エラー銘柄確認"), {}, {}, true, &ui::runModal<frmReadDelMei>});

    table.addButton(110, {QStringLiteral("DMentButton"), QStringLiteral("株価データーメンテナンス"), {}, QStringLiteral("data-maintenance")});
    table.addButton(120, {QStringLiteral("DataDelButton"), QStringLiteral("データー削除"), {}, QStringLiteral("data-delete")});

    table.onClosing(offerCompaction);
}
