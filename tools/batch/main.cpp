// miravel-batch: scripted work on a program folder (initialisation, imports, weekly build, chart
// rendering), sharing the core code with the windows.

#include "BatchCommon.h"
#include "base/ProgramLocation.h"
#include "base/Version.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>

using namespace batch;

static std::vector<Command> allCommands()
{
    // One line per subsystem.
    std::vector<Command> (*const groups[])() = {
        initCommands,
        importCommands,
        chartCommands,
        infoCommands,
        boardCommands,
        publishCommands,
        ledgerCommands,
        maintenanceCommands,
        splitsCommands,
    };
    std::vector<Command> all;
    for (auto group : groups)
        for (auto &c : group())
            all.push_back(c);
    return all;
}

static void printHelp(const std::vector<Command> &commands)
{
    out(QStringLiteral("ミラベル %1 — command-line tool").arg(versionText()));
    out(QStringLiteral("usage: miravel-batch [--folder DIR] COMMAND [ARGUMENTS]"));
    out(QStringLiteral("       miravel-batch --help | --version"));
    out(QString());
    out(QStringLiteral("DIR is the program folder. Without --folder: $MIRAVEL_HOME, else the folder of this"));
    out(QStringLiteral("program when it is writable or holds Miravel.ini, else $XDG_DATA_HOME/miravel."));
    out(QStringLiteral("Commands:"));
    for (const auto &c : commands)
        out(QStringLiteral("  %1\n      %2").arg(c.usage, c.summary));
}

int main(int argc, char **argv)
{
#ifdef SIGXFSZ
    // Past a file-size limit a write fails, and is reported, instead of ending the program unsaid.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    // Only chart rendering needs fonts and painting (offscreen, without a display); the other
    // commands run on the core application alone.
    bool paints = false;
    for (int i = 1; i < argc; ++i)
        paints = paints || std::strcmp(argv[i], "chart") == 0;
    std::unique_ptr<QCoreApplication> app;
    if (paints) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
            qputenv("XDG_RUNTIME_DIR", QDir::tempPath().toLocal8Bit() + "/runtime-miravel");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();

    const auto commands = allCommands();
    Context context;
    QString folderOption;
    bool versionAsked = false;

    while (!args.isEmpty() && args.first().startsWith(QLatin1String("--"))) {
        const QString opt = args.takeFirst();
        if (opt == QLatin1String("--help")) {
            printHelp(commands);
            return ExitOk;
        }
        if (opt == QLatin1String("--version")) {
            versionAsked = true;
            continue;
        }
        if (opt == QLatin1String("--folder")) {
            if (args.isEmpty()) {
                err(QStringLiteral("--folder にフォルダを指定して下さい。"));
                return ExitUsage;
            }
            folderOption = args.takeFirst();
            continue;
        }
        err(QStringLiteral("不明なオプションです: %1").arg(opt));
        return ExitUsage;
    }
    const ProgramLocation::Choice location = ProgramLocation::choose(ProgramLocation::inputsOfThisProcess(folderOption));
    context.programFolder = location.folder;
    if (versionAsked) {
        out(versionText());
        out(ProgramLocation::describe(location));
        return ExitOk;
    }
    if (args.isEmpty()) {
        printHelp(commands);
        return ExitUsage;
    }
    const QString name = args.takeFirst();
    for (const auto &c : commands) {
        if (c.name == name)
            return c.run(context, args);
    }
    err(QStringLiteral("不明なコマンドです: %1 (--help で一覧を表示します)").arg(name));
    return ExitUsage;
}
