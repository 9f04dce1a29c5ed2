#include "app/MainCommands.h"

#include "app/HelpFiles.h"
#include "app/frmAbout.h"
#include "app/frmFirstStart.h"
#include "app/frmOption.h"
#include "base/AppServices.h"
#include "base/Helpers.h"
#include "base/MainModule.h"
#include "base/Ports.h"
#include "board/BoardCommands.h"
#include "import/ImportCommands.h"
#include "info/InfoCommands.h"
#include "ledger/LedgerCommands.h"
#include "maint/MaintCommands.h"
#include "mainwin/ChartCommands.h"
#include "splits/SplitsCommands.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace {

void options(ui::CommandContext &c)
{
    ui::runModal<frmOption>(c);
    c.main.settingsChanged();
}

void runFile(ui::CommandContext &c)
{
    const QString path = c.services.prompt->pickOpenFile(QStringLiteral("すべてのﾌｧｲﾙ(*.*)|*.*"), MainModule::ProgramFolder);
    if (path.isEmpty() || !QFileInfo::exists(path) || !c.services.shell)
        return;
    cShellFile(*c.services.shell).ShellFile(path);
}

void help(ui::CommandContext &c)
{
    HelpFiles::openPage(HelpFiles::IndexPage, c.services.shell, *c.services.prompt);
}

// The first start, once the shipped kinds are in: the choice of a price source, then the chart of
// the first issue. It opens a modal window, so it runs once the activation has been handled.
void firstStart(ui::CommandContext &c)
{
    AppServices *services = &c.services;
    ui::MainWindowAccess *main = &c.main;
    QPointer<QWidget> window = &c.window;
    QTimer::singleShot(0, &c.window, [services, main, window] {
        if (!window)
            return;
        frmFirstStart choice(*services, window);
        if (choice.exec() != QDialog::Accepted || !choice.outcome().ok)
            return;
        main->rebuildList();
        main->showIssue(choice.outcome().firstCode);
        services->prompt->inform(choice.outcome().message, QString(), PromptIcon::Information);
    });
}

// The menus every version has, and the program's own commands in them.
void registerShellCommands(ui::CommandTable &table)
{
    table.addMenu(QStringLiteral("mnuFile"), QStringLiteral("ﾌｧｲﾙ"), 10);
    table.addMenu(QStringLiteral("mnuEdit"), QStringLiteral("編集"), 20);
    table.addMenu(QStringLiteral("mnuVersion"), QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"), 60);

    table.addMenuItem(QStringLiteral("mnuFile"), 90, {QStringLiteral("mnuEnd"), QStringLiteral("終　了"), {}, {}, true, [](ui::CommandContext &c) { c.window.close(); }});
    table.addMenuItem(QStringLiteral("mnuEdit"), 100,
                      {QStringLiteral("mnuoption"), QStringLiteral("オプション"), {}, {}, true, options});
    table.addButton(130, {QStringLiteral("OptionButton"), QStringLiteral("ｵﾌﾟｼｮﾝ設定"), {}, QStringLiteral("option"), true, options});

    const QString version = QStringLiteral("mnuVersion");
    table.addMenuItem(version, 10, {QStringLiteral("mnuabout"), QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"), {}, {}, false, [](ui::CommandContext &c) {
                                        frmAbout window(&c.window);
                                        window.exec();
                                    }});
    table.addMenuItem(version, 20, {QStringLiteral("mnuGaibuRun"), QStringLiteral("外部ファイル実行"), {}, {}, true, runFile});
    table.addMenuItem(version, 30, {QStringLiteral("mnuVelkaaHP"), QStringLiteral("Velka株式情報ＨＰ"), {}, {}, false, [](ui::CommandContext &c) {
                                        if (c.services.shell)
                                            OpenWebPage(*c.services.shell, MainModule::MURL);
                                    }});
    table.addMenuItem(version, 40, {QStringLiteral("mnuHelp"), QStringLiteral("ヘルプ"), {}, {}, true, help});
}

} // namespace

ui::CommandTable mainWindowCommands()
{
    ui::CommandTable table;
    registerShellCommands(table);
    registerImportCommands(table);
    registerChartCommands(table);
    // The board's dial-up question comes before the compaction when the program ends.
    registerBoardCommands(table);
    registerMaintCommands(table);
    registerSplitsCommands(table);
    registerInfoCommands(table);
    registerLedgerCommands(table);
    table.onFirstRun(firstStart);
    return table;
}

void connectServices(AppServices &services)
{
    services.openOptions = [&services](QWidget *parent) {
        frmOption window(services, parent);
        window.exec();
    };
    services.downloadRegistration = [&services](QWidget *parent) { downloadRegistrationBeforeConversion(services, parent); };
}
