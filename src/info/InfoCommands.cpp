#include "info/InfoCommands.h"

#include "base/AppServices.h"
#include "base/Helpers.h"
#include "base/MainModule.h"
#include "base/Ports.h"
#include "import/ImportRun.h"
#include "info/InfoDownload.h"
#include "info/frmInformation.h"
#include "info/frmIntInformation.h"
#include "info/frmIntReadData.h"
#include "info/frmJyohoList.h"
#include "ui/CommandTable.h"

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace {

const QString kEnterCode = QStringLiteral("銘柄コードを入力して下さい。");

// The data server's page of one kind (a..g) for the issue on show.
void openInfoPage(ui::CommandContext &c, const QString &kind)
{
    if (c.main.issueMarket().isEmpty() || c.main.issueName().isEmpty()) {
        c.services.prompt->inform(kEnterCode, QString(), PromptIcon::Information);
        return;
    }
    if (c.services.shell)
        OpenWebPage(*c.services.shell,
                    MainModule::MURL + QStringLiteral("default.asp?tp=") + kind + QStringLiteral("&co=") + c.main.issueCode());
}

// A download window as the main window has always opened one: itself minimised and flashing, the
// data server's page in the browser, the outcome shown once the window has closed.
template <typename Window, typename... Request>
void openDownloadWindow(ui::CommandContext &c, Request... request)
{
    c.main.requestFlash();
    c.window.showMinimized();
    if (c.services.shell)
        OpenWebPage(*c.services.shell, MainModule::MURL);
    Window window(c.services, request..., &c.window);
    window.exec();
    c.main.storedDataChanged();
    ui::reportBack(c, window.resultMessage());
}

void browse(ui::CommandContext &c)
{
    ui::MainWindowAccess &main = c.main;
    frmInformation window(
        c.services, [&main](const QStringList &entries) { main.showIssueList(entries); }, &c.window);
    window.exec();
}

void searchIssue(ui::CommandContext &c)
{
    if (c.main.issueMarket().isEmpty() || c.main.issueName().isEmpty()) {
        c.services.prompt->inform(kEnterCode, QString(), PromptIcon::Information);
        return;
    }
    bool numeric = false;
    const qint64 code = c.main.issueCode().trimmed().toLongLong(&numeric);
    frmJyohoList window(c.services, numeric ? std::optional<qint64>(code) : std::nullopt, &c.window);
    window.exec();
}

void downloadRankings(ui::CommandContext &c)
{
    openDownloadWindow<frmIntInformation>(c);
}
void downloadRegistration(ui::CommandContext &c)
{
    openDownloadWindow<frmIntReadData>(c, importer::ImportMode::Registration);
}
void downloadPrices(ui::CommandContext &c)
{
    openDownloadWindow<frmIntReadData>(c, importer::ImportMode::Prices);
}

// The first start: the shipped kinds. The choice of a price source follows (the program's own
// first-start window).
void firstStart(ui::CommandContext &c)
{
    AppServices *services = &c.services;
    QPointer<QWidget> window = &c.window;
    QTimer::singleShot(0, &c.window, [services, window] {
        if (window)
            info::LoadShippedKinds(*services->prompt);
    });
}

} // namespace

void registerInfoCommands(ui::CommandTable &table)
{
    const QString file = QStringLiteral("mnuFile");
    table.addMenuItem(file, 50, {QStringLiteral("mnuIntMeiRegistData"), QStringLiteral("ｲﾝﾀｰﾈｯﾄで銘柄登録読込み"), {}, {}, true, downloadRegistration});
    table.addMenuItem(file, 55, {QStringLiteral("mnuIntReadData"), QStringLiteral("ｲﾝﾀｰﾈｯﾄで株価ﾃﾞｰﾀ取得"), {}, {}, false, downloadPrices});

    const QString info = QStringLiteral("mnuInformation");
    table.addMenu(info, QStringLiteral("株式情報"), 50);
    table.addMenuItem(info, 10, {QStringLiteral("mnukabusikijyouhoopen"), QStringLiteral("株式情報表示"), QStringLiteral("Ctrl+J"), {}, false, browse});
    table.addMenuItem(info, 20, {QStringLiteral("mnuMeisyutoku"), QStringLiteral("株式情報取得"), {}, {}, false, downloadRankings});
    table.addMenuItem(info, 30, {QStringLiteral("mnuJyohouList"), QStringLiteral("情報銘柄検索"), QStringLiteral("Ctrl+K"), {}, false, searchIssue});
    const struct
    {
        const char16_t *name;
        const char16_t *caption;
        const char16_t *kind;
    } pages[] = {
        {u"mnukyone", u"株価今日の値動き", u"a"},
        {u"mnukyosyosai", u"株価詳細情報", u"b"},
        {u"mnusyosai", u"企業情報", u"c"},
        {u"mnuBSPL", u"BS・PL情報", u"d"},
        {u"mnugyoseki", u"業績推移", u"e"},
        {u"mnuseityoritu", u"成長率", u"f"},
        {u"mnukeijiban", u"掲示板", u"g"},
    };
    int position = 40;
    for (const auto &page : pages) {
        const QString kind = QString::fromUtf16(page.kind);
        table.addMenuItem(info, position, {QString::fromUtf16(page.name), QString::fromUtf16(page.caption), {}, {}, position == 40, [kind](ui::CommandContext &c) { openInfoPage(c, kind); }});
        position += 10;
    }

    table.addButton(150, {QStringLiteral("IntReadMeiButton"), QStringLiteral("インターネット銘柄データー自動取得"), {}, QStringLiteral("download-issues"), false, downloadRegistration});
    table.addButton(160, {QStringLiteral("IntReadinfodataButton"), QStringLiteral("株式情報取得"), {}, QStringLiteral("download-info"), false, downloadRankings});
    table.addButton(170, {QStringLiteral("InfodataButton"), QStringLiteral("株式情報"), {}, QStringLiteral("information"), false, browse});
    table.onFirstRun(firstStart);
}

void downloadRegistrationBeforeConversion(AppServices &services, QWidget *parent)
{
    frmIntReadData download(services, importer::ImportMode::BeforeConversion, parent);
    download.exec();
}
