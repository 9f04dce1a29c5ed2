#include "maint/DataFileCommands.h"

#include "app/AppServices.h"
#include "app/MainModule.h"
#include "app/Ports.h"
#include "db/DbError.h"
#include "maint/DataFiles.h"
#include "maint/MaintWindowParts.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

namespace maint {

void ExportShownIssueCsv(AppServices &services, QLineEdit *code, QLabel *market, QLabel *name)
{
    Prompt &prompt = *services.prompt;
    if (!prompt.askYesNo(QStringLiteral("株価データをCsv形式で出力します よろしいですか？"), QStringLiteral("確認")))
        return;
    if (market->text().isEmpty() || name->text().isEmpty()) {
        prompt.inform(QStringLiteral("銘柄コードを入力して下さい。"));
        return;
    }
    QString error;
    bool ok = false;
    try {
        WaitCursor wait;
        ok = ExportPriceCsv(MainModule::DBPath, code->text(), market->text(), name->text(), MainModule::PeriodMode, &error);
    } catch (const db::DbError &e) {
        error = e.description();
    }
    if (ok)
        prompt.inform(priceCsvDoneText(code->text()));
    else
        prompt.inform(error, QString(), PromptIcon::Critical);
}

void WriteIssueListFile(AppServices &services, QListWidget *list)
{
    Prompt &prompt = *services.prompt;
    const QString folder = MainModule::dataFolder();
    const QDate today = services.clock ? services.clock->today() : QDate::currentDate();
    const QString path = prompt.pickSaveFile(QStringLiteral("銘柄リスト(*.Lis)|*.Lis|すべてのﾌｧｲﾙ(*.*)|*.*"), folder,
                                             DefaultListName(folder, today));
    if (path.isEmpty())
        return;
    if (QFileInfo::exists(path)
        && !prompt.askYesNo(QDir::toNativeSeparators(path) + QStringLiteral("のファイルは存在します 上書きしますか？"),
                            QStringLiteral("確認")))
        return;
    QStringList entries;
    for (int i = 0; i < list->count(); ++i)
        entries.append(list->item(i)->text());
    if (!WriteIssueList(path, entries))
        prompt.inform(QStringLiteral("%1 に書き込めません。").arg(QDir::toNativeSeparators(path)), QString(),
                      PromptIcon::Critical);
}

void ReadIssueListFile(AppServices &services, QListWidget *list)
{
    Prompt &prompt = *services.prompt;
    const QString path = prompt.pickOpenFile(
        QStringLiteral("銘柄出力ファイル（*.Lis） |*.TXT;*.Lis|すべてのﾌｧｲﾙ(*.*)|*.*"), MainModule::dataFolder());
    if (path.isEmpty() || !QFileInfo::exists(path))
        return;
    list->clear();
    try {
        bool ok = false;
        const QStringList entries = ReadIssueList(MainModule::DBPath, path, &ok);
        if (!ok) {
            prompt.inform(QStringLiteral("%1 を読み込めません。").arg(QDir::toNativeSeparators(path)), QString(),
                          PromptIcon::Critical);
            return;
        }
        list->addItems(entries);
    } catch (const db::DbError &e) {
        prompt.inform(e.description(), QString(), PromptIcon::Critical);
    }
}

} // namespace maint
