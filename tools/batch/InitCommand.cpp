#include "BatchCommon.h"

#include "app/Startup.h"

namespace batch {

namespace {

// Start-up steps 3 to 7 on the program folder: folders, database, settings.
int runInit(Context &context, const QStringList &arguments)
{
    if (!arguments.isEmpty()) {
        err(QStringLiteral("init は引数を取りません。"));
        return ExitUsage;
    }
    TerminalPrompt prompt;
    const Startup::Result result = Startup::prepareProgramFolder(context.programFolder, prompt);
    if (!result.ok || !result.settingsLoaded)
        return ExitError;
    out(result.firstRunMarker.isEmpty() ? QStringLiteral("プログラムフォルダを確認しました: %1").arg(context.programFolder)
                                        : QStringLiteral("データベースを作成しました: %1").arg(context.programFolder));
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
