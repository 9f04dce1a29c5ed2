#include "chart/frmMainInfoCommands.h"

#include "app/AppServices.h"
#include "app/Helpers.h"
#include "app/MainModule.h"
#include "app/Ports.h"
#include "board/Dialup.h"
#include "chart/Navigation.h"
#include "chart/frmMain.h"
#include "info/InfoDownload.h"
#include "info/frmFarstMsg.h"
#include "info/frmInformation.h"
#include "info/frmIntInformation.h"
#include "info/frmIntReadData.h"
#include "info/frmJyohoList.h"

#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

namespace info {

namespace {

void reportBack(AppServices &services)
{
    if (MainModule::MainTag.isEmpty())
        return;
    QCoreApplication::processEvents();
    services.prompt->inform(MainModule::MainTag, QString(), PromptIcon::Information);
}

// Opens a download window the way the main window always has: minimised and flashing, the data
// server's page in the browser, the request in MainTag, the outcome shown afterwards.
template <typename Window>
void openDownloadWindow(frmMain &main, AppServices &services, const QString &request)
{
    main.BlinkRequest = true;
    main.showMinimized();
    if (services.shell)
        OpenWebPage(*services.shell, MainModule::MURL);
    MainModule::MainTag = request;
    {
        Window window(services, &main);
        window.exec();
    }
    reportBack(services);
}

// Keeps the issue list as the browser leaves it while the code box changes.
void showInIssueList(frmMain &main, const QStringList &entries)
{
    const bool suppressed = main.ListRefreshSuppressed;
    main.ListRefreshSuppressed = true;
    main.ListMei->clear();
    main.ListMei->addItems(entries);
    if (!entries.isEmpty()) {
        main.ListMei->setCurrentRow(0);
        main.MeiCode->setText(entries.first().section(QLatin1Char(' '), 0, 0));
    }
    main.ListRefreshSuppressed = suppressed;
}

void connectCommand(frmMain &main, const char *name, std::function<void()> handler)
{
    if (QAction *action = main.command(QString::fromLatin1(name)))
        QObject::connect(action, &QAction::triggered, &main, handler);
}

} // namespace

void ConnectMainWindowCommands(frmMain &main, AppServices &services)
{
    auto browser = [&main, &services] {
        frmInformation window(services, [&main](const QStringList &entries) { showInIssueList(main, entries); }, &main);
        window.exec();
    };
    auto rankings = [&main, &services] { openDownloadWindow<frmIntInformation>(main, services, QString()); };
    auto registration = [&main, &services] { openDownloadWindow<frmIntReadData>(main, services, QStringLiteral("1")); };
    auto prices = [&main, &services] { openDownloadWindow<frmIntReadData>(main, services, QStringLiteral("2")); };
    auto search = [&main, &services] {
        if (main.Lblshijyo->text().isEmpty() || main.LblMei->text().isEmpty()) {
            services.prompt->inform(chart::enterIssueCodeMessage(), QString(), PromptIcon::Information);
            return;
        }
        MainModule::MainTag = main.MeiCode->text();
        frmJyohoList window(services, &main);
        window.exec();
        MainModule::MainTag.clear();
    };
    connectCommand(main, "mnukabusikijyouhoopen", browser);
    connectCommand(main, "InfodataButton", browser);
    connectCommand(main, "mnuMeisyutoku", rankings);
    connectCommand(main, "IntReadinfodataButton", rankings);
    connectCommand(main, "mnuJyohouList", search);
    connectCommand(main, "mnuIntMeiRegistData", registration);
    connectCommand(main, "IntReadMeiButton", registration);
    connectCommand(main, "mnuIntReadData", prices);
}

void RunFirstStart(frmMain &main, AppServices &services)
{
    LoadShippedKinds(*services.prompt);
    MainModule::MainTag = QStringLiteral("1");
    {
        frmFarstMsg message(services, &main);
        message.exec();
    }
    main.MeiCode->setText(QStringLiteral("1"));
    if (Dialup::IsDialupConnected(true))
        Dialup::HangUpDialup();
    services.prompt->inform(QStringLiteral("銘柄登録を最新にしました 株価データの読込みを行ってください。"), QString(),
                            PromptIcon::Information);
}

} // namespace info
