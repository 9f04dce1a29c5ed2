#include "BatchCommon.h"

#include "app/Startup.h"

#include <QDir>

namespace batch {

namespace {

// What the program does to a program folder when it starts: folders, database, settings.
int runInit(Context &context, const QStringList &arguments)
{
    if (!arguments.isEmpty()) {
        err(QStringLiteral("init は引数を取りません。"));
        return ExitUsage;
    }
    // A script may name a folder that is not there yet: init makes it (the program itself always
    // runs from an existing folder).
    if (!QDir().mkpath(context.programFolder)) {
        err(QStringLiteral("フォルダ %1 を作成できません。").arg(QDir::toNativeSeparators(context.programFolder)));
        return ExitError;
    }
    TerminalPrompt prompt;
    const Startup::Result result = Startup::prepareProgramFolder(context.programFolder, prompt);
    if (!result.ok || !result.settingsLoaded)
        return ExitError;
    if (result.restoredCompactionBackup)
        out(QStringLiteral("最適化のバックアップから復元しました。"));
    out(result.firstRun ? QStringLiteral("データベースを作成しました: %1").arg(context.programFolder)
                        : QStringLiteral("プログラムフォルダを確認しました: %1").arg(context.programFolder));
    return ExitOk;
}

} // namespace

std::vector<Command> initCommands()
{
    return {{QStringLiteral("init"), QStringLiteral("init"),
             QStringLiteral("フォルダ Data と htm、データベース Miravel.mdb、設定ファイル Miravel.ini を"
                            "無ければ作成し、設定を読み込みます。"),
             &runInit}};
}

} // namespace batch
