// The data maintenance commands: deletions, the code change, the issue checks, backup, restore,
// compaction and the price CSV, with the windows' messages and without their questions.

#include "BatchCommon.h"

#include "base/Helpers.h"
#include "base/MainModule.h"
#include "base/Settings.h"
#include "db/Database.h"
#include "maint/Backup.h"
#include "maint/Compaction.h"
#include "maint/DataDeletion.h"
#include "maint/DataFiles.h"
#include "maint/IssueCheck.h"
#include "ui/IssueEntry.h"

#include <QDir>
#include <QFileInfo>

namespace batch {

namespace {

int usage(const QString &line)
{
    err(QStringLiteral("usage: miravel-batch [--folder DIR] ") + line);
    return ExitUsage;
}

// Takes "--weekly" out of the arguments; the period it selects.
int takePeriod(QStringList &args)
{
    return args.removeAll(QStringLiteral("--weekly")) > 0 ? 2 : 1;
}

int status(bool ok)
{
    return ok ? ExitOk : ExitError;
}

int runDelete(Context &batchContext, const QStringList &arguments)
{
    const QString line = QStringLiteral(
        "delete range FROM TO [--weekly] | delete info-before DATE | delete issue CODE [--before DATE] [--weekly]");
    QStringList args = arguments;
    const int period = takePeriod(args);
    if (args.isEmpty())
        return usage(line);
    const QString sub = args.takeFirst();
    if (!openProgramFolder(batchContext))
        return ExitError;
    TerminalPrompt prompt;
    NullProgress progress;
    const maint::MaintenanceContext context{MainModule::DBPath, prompt, progress, period};
    if (sub == QLatin1String("range") && args.size() == 2)
        return status(maint::DeleteDateRange(context, args.at(0), args.at(1)));
    if (sub == QLatin1String("info-before") && args.size() == 1 && period == 1)
        return status(maint::DeleteInformationUpTo(context, args.at(0)));
    if (sub == QLatin1String("issue") && args.size() == 1)
        return status(maint::DeleteIssueAndPrices(context, args.at(0)));
    if (sub == QLatin1String("issue") && args.size() == 3 && args.at(1) == QLatin1String("--before"))
        return status(maint::DeleteIssuePricesUpTo(context, args.at(0), args.at(2)));
    return usage(line);
}

int runChangeCode(Context &batchContext, const QStringList &args)
{
    if (args.size() != 4)
        return usage(QStringLiteral("change-code OLDCODE OLDMARKET NEWCODE NEWMARKET"));
    if (!openProgramFolder(batchContext))
        return ExitError;
    TerminalPrompt prompt;
    NullProgress progress;
    const maint::MaintenanceContext context{MainModule::DBPath, prompt, progress, 1};
    return status(maint::ChangeCodeAndMarket(context, args.at(0), args.at(1), args.at(2), args.at(3)));
}

int runCheck(Context &batchContext, const QStringList &arguments)
{
    const QString line = QStringLiteral("check prices-without-registration|registration-without-prices [--weekly]");
    QStringList args = arguments;
    const int period = takePeriod(args);
    if (args.size() != 1)
        return usage(line);
    maint::IssueCheck check;
    if (args.first() == QLatin1String("prices-without-registration"))
        check = maint::IssueCheck::PricesWithoutRegistration;
    else if (args.first() == QLatin1String("registration-without-prices"))
        check = maint::IssueCheck::RegistrationWithoutPrices;
    else
        return usage(line);
    if (!openProgramFolder(batchContext))
        return ExitError;
    NullProgress progress;
    try {
        for (const qint64 code : maint::CompareIssues(MainModule::DBPath, PriceTableOf(period), check, progress))
            out(QString::number(code));
    } catch (const db::DbError &e) {
        err(e.description());
        return ExitError;
    }
    err(QStringLiteral("照合終了しました。"));
    return ExitOk;
}

int runBackup(Context &batchContext, const QStringList &args, bool restore)
{
    if (args.size() != 1)
        return usage(restore ? QStringLiteral("restore FOLDER") : QStringLiteral("backup FOLDER"));
    // A restore also mends a program folder whose database is missing or broken.
    if (restore)
        MainModule::setProgramFolder(batchContext.programFolder);
    else if (!openProgramFolder(batchContext))
        return ExitError;
    const QString file = Settings::folderPath(maint::BackupFileOf(QDir::fromNativeSeparators(args.first())));
    QString error;
    const bool ok = restore ? maint::RestoreDatabase(file, MainModule::DBPath, &error)
                            : maint::BackUpDatabase(MainModule::DBPath, file, &error);
    if (!ok) {
        err(error);
        return ExitError;
    }
    out(restore ? QStringLiteral("復元終了しました。") : QStringLiteral("ﾊﾞｯｸｱｯﾌﾟ終了しました。"));
    return ExitOk;
}

int runBackupCommand(Context &context, const QStringList &args)
{
    return runBackup(context, args, false);
}

int runRestore(Context &context, const QStringList &args)
{
    return runBackup(context, args, true);
}

int runRestoreOld(Context &batchContext, const QStringList &args)
{
    if (!args.isEmpty())
        return usage(QStringLiteral("restore-old"));
    MainModule::setProgramFolder(batchContext.programFolder);
    const QString old = maint::OldDbPathOf(MainModule::DBPath);
    if (!QFileInfo::exists(old)) {
        err(QStringLiteral("ﾊﾞｯｸｱｯﾌﾟﾃﾞｰﾀｰがありません。"));
        return ExitError;
    }
    QString error;
    if (!maint::RestoreDatabase(old, MainModule::DBPath, &error)) {
        err(error);
        return ExitError;
    }
    out(QStringLiteral("復元終了しました。"));
    return ExitOk;
}

int runCompact(Context &batchContext, const QStringList &args)
{
    if (!args.isEmpty())
        return usage(QStringLiteral("compact"));
    if (!openProgramFolder(batchContext))
        return ExitError;
    QString error;
    if (!maint::CompactDatabase(MainModule::DBPath, &error)) {
        err(error);
        return ExitError;
    }
    return ExitOk;
}

int runExportCsv(Context &batchContext, const QStringList &arguments)
{
    QStringList args = arguments;
    const int period = takePeriod(args);
    if (args.size() != 1)
        return usage(QStringLiteral("export-csv CODE [--weekly]"));
    if (!openProgramFolder(batchContext))
        return ExitError;
    try {
        bool numeric = false;
        const qint64 code = args.first().toLongLong(&numeric);
        const ui::IssueInfo issue = numeric ? ui::FindIssue(MainModule::DBPath, code) : ui::IssueInfo{};
        if (!issue.found) {
            err(QStringLiteral("銘柄コードを入力して下さい。"));
            return ExitError;
        }
        // The market as the main window shows it beside the code.
        db::Database database(MainModule::DBPath);
        const QString market = SafeText(
            database.scalar(QStringLiteral("select 略称 from Shijyo where コード=%1 ;").arg(issue.market)));
        database.close();
        QString error;
        if (!maint::ExportPriceCsv(MainModule::DBPath, args.first(), market, issue.name, period, &error)) {
            err(error);
            return ExitError;
        }
    } catch (const db::DbError &e) {
        err(e.description());
        return ExitError;
    }
    out(maint::priceCsvDoneText(args.first()));
    return ExitOk;
}

} // namespace

std::vector<Command> maintenanceCommands()
{
    return {
        {QStringLiteral("export-csv"), QStringLiteral("export-csv CODE [--weekly]"),
         QStringLiteral("銘柄の株価データを Data/<コード>.Csv に出力します"), &runExportCsv},
        {QStringLiteral("delete"),
         QStringLiteral("delete range FROM TO [--weekly] | delete info-before DATE | delete issue CODE [--before DATE] [--weekly]"),
         QStringLiteral("株価・株式情報・銘柄を削除します"), &runDelete},
        {QStringLiteral("change-code"), QStringLiteral("change-code OLDCODE OLDMARKET NEWCODE NEWMARKET"),
         QStringLiteral("銘柄のコード・市場を変更します"), &runChangeCode},
        {QStringLiteral("check"), QStringLiteral("check prices-without-registration|registration-without-prices [--weekly]"),
         QStringLiteral("株価データーと銘柄登録を照合し、該当コードを表示します"), &runCheck},
        {QStringLiteral("backup"), QStringLiteral("backup FOLDER"), QStringLiteral("FOLDER/Miravel.mdb にバックアップします"),
         &runBackupCommand},
        {QStringLiteral("restore"), QStringLiteral("restore FOLDER"), QStringLiteral("FOLDER/Miravel.mdb から復元します"),
         &runRestore},
        {QStringLiteral("restore-old"), QStringLiteral("restore-old"), QStringLiteral("最適化のバックアップ (Miravel.old) から復元します"),
         &runRestoreOld},
        {QStringLiteral("compact"), QStringLiteral("compact"), QStringLiteral("終了時と同じ最適化を行います"), &runCompact},
    };
}

} // namespace batch
