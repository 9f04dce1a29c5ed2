// The import commands: the registration file, the daily files, the margin files, the weekly build
// and the change recalculation, each run on the program folder like the windows run them.

#include "BatchCommon.h"

#include "base/DateUtil.h"
#include "base/MainModule.h"
#include "db/DbError.h"
#include "import/ChangeRecalc.h"
#include "import/DailyImport.h"
#include "import/ImportRun.h"
#include "import/ImportWindowLogic.h"
#include "import/InputProblems.h"
#include "import/MarginImport.h"
#include "import/Registration.h"
#include "import/WeeklyBuilder.h"

namespace batch {

namespace {

bool readRange(const QStringList &args, int at, QDate &from, QDate &to)
{
    if (args.size() <= at + 1)
        return false;
    from = parseDateArgument(args.at(at));
    to = parseDateArgument(args.at(at + 1));
    if (!from.isValid() || !to.isValid()) {
        err(QStringLiteral("日付の入力が誤っています。"));
        return false;
    }
    return true;
}

int usage(const QString &line)
{
    err(QStringLiteral("usage: miravel-batch [--folder DIR] ") + line);
    return ExitUsage;
}

// A refusal with the message the window shows.
int refuse(const QString &message)
{
    out(message);
    return ExitUsage;
}

// Checks a Monday-to-Friday period as the weekly and margin windows do.
int checkWeekPeriod(const QDate &from, const QDate &to)
{
    const importer::RangeCheck check = importer::CheckDates(from, to, true);
    return check == importer::RangeCheck::Ok ? ExitOk : refuse(importer::RangeCheckMessage(check));
}

int finish(const importer::ImportResult &result)
{
    if (!result.completed)
        return ExitError;
    out(result.message);
    return ExitOk;
}

int runRegistration(Context &context, const QStringList &args)
{
    if (!args.isEmpty())
        return usage(QStringLiteral("import-registration"));
    if (!openProgramFolder(context))
        return ExitError;
    TerminalPrompt prompt;
    TerminalProgress progress;
    importer::ImportContext ctx{progress, prompt};
    return finish(importer::ImportRegistration(ctx));
}

int runDaily(Context &context, const QStringList &arguments)
{
    const QString line = QStringLiteral("import-daily FROM TO [--margin] [--weekly]");
    QStringList args = arguments;
    bool margin = false, weekly = false;
    for (qsizetype i = args.size() - 1; i >= 0; --i) {
        if (args.at(i) == QLatin1String("--margin")) {
            margin = true;
            args.removeAt(i);
        } else if (args.at(i) == QLatin1String("--weekly")) {
            weekly = true;
            args.removeAt(i);
        }
    }
    QDate from, to;
    if (args.size() != 2 || !readRange(args, 0, from, to))
        return usage(line);
    if (to < from)
        return refuse(QStringLiteral("日付の範囲が誤っています。"));
    if (!openProgramFolder(context))
        return ExitError;
    if (MainModule::hibiPath.trimmed().isEmpty()) {
        err(QStringLiteral("日々データーフォルダが登録されていません。"));
        return ExitError;
    }
    if (margin && MainModule::sinyoPath.trimmed().isEmpty()) {
        err(QStringLiteral("信用データーフォルダが登録されていません。"));
        return ExitError;
    }
    TerminalPrompt prompt;
    TerminalProgress progress;
    importer::ImportContext ctx{progress, prompt};
    return finish(importer::ImportDailyFiles(importer::DailyImportRequest::fromSettings(from, to, margin, weekly), ctx));
}

int runMargin(Context &context, const QStringList &args)
{
    QDate from, to;
    if (args.size() != 2 || !readRange(args, 0, from, to))
        return usage(QStringLiteral("import-margin FROM TO"));
    if (const int refused = checkWeekPeriod(from, to))
        return refused;
    if (!openProgramFolder(context))
        return ExitError;
    TerminalPrompt prompt;
    TerminalProgress progress;
    importer::SkipReport skipped;
    bool stored = false;
    try {
        stored = importer::ImportMarginBalances(from, to, MainModule::sinyoPath, progress, &skipped);
    } catch (const db::DbError &e) {
        err(e.description());
        return ExitError;
    } catch (const importer::InputError &e) {
        err(e.description());
        return ExitError;
    }
    skipped.showThrough(prompt);
    out(stored ? QStringLiteral("信用データーの読込み終了しました。") : QStringLiteral("信用データーが存在しませんでした。"));
    return ExitOk;
}

int runWeekly(Context &context, const QStringList &args)
{
    QDate from, to;
    if (args.size() != 2 || !readRange(args, 0, from, to))
        return usage(QStringLiteral("build-weekly FROM TO"));
    if (const int refused = checkWeekPeriod(from, to))
        return refused;
    if (!openProgramFolder(context))
        return ExitError;
    TerminalProgress progress;
    try {
        importer::BuildWeeklyData(from, to, progress);
    } catch (const db::DbError &e) {
        err(e.description());
        return ExitError;
    }
    out(QStringLiteral("週データーの作成終了しました。"));
    return ExitOk;
}

int runRecalc(Context &context, const QStringList &args)
{
    const QString line = QStringLiteral("recalc daily|weekly FROM");
    if (args.size() != 2)
        return usage(line);
    QString table;
    if (args.at(0) == QLatin1String("daily"))
        table = QStringLiteral("daydata");
    else if (args.at(0) == QLatin1String("weekly"))
        table = QStringLiteral("weekdata");
    else
        return usage(line);
    const QDate from = parseDateArgument(args.at(1));
    if (!from.isValid()) {
        err(QStringLiteral("日付の入力が誤っています。"));
        return usage(line);
    }
    if (!openProgramFolder(context))
        return ExitError;
    TerminalProgress progress;
    try {
        importer::RecalculateChanges(table, from, progress);
    } catch (const db::DbError &e) {
        err(e.description());
        return ExitError;
    }
    out(QStringLiteral("前日差再計算終了しました。"));
    return ExitOk;
}

} // namespace

std::vector<Command> importCommands()
{
    return {
        {QStringLiteral("import-registration"), QStringLiteral("import-registration"),
         QStringLiteral("Data/Regist.Mei を銘柄テーブルに読み込みます"), &runRegistration},
        {QStringLiteral("import-daily"), QStringLiteral("import-daily FROM TO [--margin] [--weekly]"),
         QStringLiteral("日々の株価ファイルを読み込みます（--margin 信用残も読込む、--weekly 週データも作成する）"), &runDaily},
        {QStringLiteral("import-margin"), QStringLiteral("import-margin FROM TO"),
         QStringLiteral("信用残ファイルを読み込みます（月曜日から金曜日まで）"), &runMargin},
        {QStringLiteral("build-weekly"), QStringLiteral("build-weekly FROM TO"),
         QStringLiteral("週データーを作成します（月曜日から金曜日まで）"), &runWeekly},
        {QStringLiteral("recalc"), QStringLiteral("recalc daily|weekly FROM"),
         QStringLiteral("前日比を再計算します"), &runRecalc},
    };
}

} // namespace batch
