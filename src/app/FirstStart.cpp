#include "app/FirstStart.h"

#include "base/DateUtil.h"
#include "base/IniFile.h"
#include "base/MainModule.h"
#include "base/Ports.h"
#include "base/Settings.h"
#include "convert/Converter.h"
#include "convert/JQuantsSource.h"
#include "datagen/DataGenerator.h"
#include "db/Database.h"
#include "db/DbError.h"
#include "import/DailyImport.h"
#include "import/ImportRun.h"
#include "import/Registration.h"
#include "info/InfoServer.h"
#include "info/PriceDownload.h"

#include <QDir>
#include <QFileInfo>

namespace FirstStart {

namespace {

QDate weekdayOnOrBefore(QDate date)
{
    while (date.dayOfWeek() > 5)
        date = date.addDays(-1);
    return date;
}

QDate weekdayOnOrAfter(QDate date)
{
    while (date.dayOfWeek() > 5)
        date = date.addDays(1);
    return date;
}

Outcome failed(const QString &message, bool openOptions = false)
{
    Outcome outcome;
    outcome.message = message;
    outcome.openOptions = openOptions;
    return outcome;
}

// The daily-file folder as Convt and the import read it.
QString dailyFolder()
{
    return Settings::folderInProgramFolder(MainModule::hibiPath);
}

} // namespace

Range proposedRange(const QDate &today)
{
    const QDate last = weekdayOnOrBefore(today);
    return {weekdayOnOrAfter(last.addMonths(-3)), last};
}

QString serverAddressProblem(const QString &durl)
{
    const QString address = durl.trimmed();
    if (address.isEmpty() || address == Settings::defaultServerAddress())
        return QStringLiteral("データーサーバーのアドレス（DURL）が設定されていません。\n"
                              "オプション設定の「データーサーバー」に、株価データーを配っているサーバーのアドレスを入力して下さい。");
    return {};
}

Outcome checkDataServer(Http &http, const QString &durl)
{
    const QString problem = serverAddressProblem(durl);
    if (!problem.isEmpty())
        return failed(problem, true);
    const QString url = info::RegistrationAddress(durl.trimmed());
    const HttpResult answer = http.fetch(url, 10000);
    if (!answer.ok)
        return failed(QStringLiteral("データーサーバー %1 が応答しません。\n%2\nアドレスを確かめて下さい。")
                          .arg(durl.trimmed(), fetchFailureMessage(url, answer)),
                      true);
    // A registration file begins with its date, YYYYMMDD.
    if (!QDate::fromString(QString::fromLatin1(answer.body.left(8)), QStringLiteral("yyyyMMdd")).isValid())
        return failed(QStringLiteral("データーサーバー %1 の銘柄登録ファイル（%2）が正しくありません。\nアドレスを確かめて下さい。").arg(durl.trimmed(), url),
                      true);
    Outcome outcome;
    outcome.ok = true;
    return outcome;
}

Outcome importRange(const Range &range, Progress &progress, Prompt &prompt)
{
    if (MainModule::hibiPath.trimmed().isEmpty())
        return failed(QStringLiteral("日々データーフォルダが登録されていません。"), true);
    importer::ImportContext context{progress, prompt};
    const importer::ImportResult result =
        importer::ImportDailyFiles(importer::DailyImportRequest::fromSettings(range.first, range.last, false, true), context);
    if (!result.completed)
        return failed(result.errorDescription.isEmpty() ? QStringLiteral("株価データーを読み込めませんでした。") : result.errorDescription);
    Outcome outcome;
    outcome.firstCode = firstIssueWithPrices();
    if (outcome.firstCode.isEmpty())
        return failed(QStringLiteral("%1 ～ %2 の株価データーがありません。")
                          .arg(DateUtil::formatYYMMDD(range.first), DateUtil::formatYYMMDD(range.last)));
    outcome.ok = true;
    outcome.message = QStringLiteral("%1 ～ %2 の株価を読み込み、週足を作成しました。")
                          .arg(DateUtil::formatYYMMDD(range.first), DateUtil::formatYYMMDD(range.last));
    return outcome;
}

Outcome fromDataServer(const Range &range, Http &http, Progress &progress, Prompt &prompt)
{
    Outcome checked = checkDataServer(http, MainModule::DURL);
    if (!checked.ok)
        return checked;
    const info::FileOutcome registration = info::DownloadRegistrationFile(http, MainModule::DURL);
    if (!registration.error.isEmpty())
        return failed(registration.error);
    if (!registration.stored)
        return failed(QStringLiteral("データーサーバーに銘柄登録ファイルがありません。"), true);
    {
        importer::ImportContext context{progress, prompt};
        const importer::ImportResult result = importer::ImportRegistration(context);
        if (!result.completed)
            return failed(result.errorDescription.isEmpty() ? QStringLiteral("銘柄登録を読み込めませんでした。") : result.errorDescription);
    }
    info::PriceDownloadView view{http, progress, nullptr};
    const info::PriceDownloadResult prices =
        info::DownloadPriceFiles(range.first, range.last, false, MainModule::DURL, MainModule::hibiPath, QString(), view);
    if (!prices.error.isEmpty())
        return failed(prices.error);
    if (prices.dailyStored == 0)
        return failed(QStringLiteral("データーサーバーに %1 ～ %2 の株価ファイルがありません。")
                          .arg(DateUtil::formatYYMMDD(range.first), DateUtil::formatYYMMDD(range.last)));
    return importRange(range, progress, prompt);
}

Outcome fromCsvFolder(const QString &folder, const Range &range, Http &http, Progress &progress, Prompt &prompt)
{
    if (!QFileInfo(folder).isDir())
        return failed(QStringLiteral("フォルダ %1 がありません。").arg(QDir::toNativeSeparators(folder)));
    cINI ini;
    ini.cstrPath = MainModule::IniPath;
    ini.cstrSection = QStringLiteral("Convt");
    ini.cstrkey = QStringLiteral("Source");
    ini.cstrData = QDir::toNativeSeparators(folder);
    QString error;
    if (!ini.WriteIni(&error))
        return failed(error);

    convert::IssueRegister issues;
    try {
        issues = convert::IssueRegister::load(MainModule::DBPath);
    } catch (const db::DbError &e) {
        return failed(e.description());
    }
    convert::ConvertRequest request;
    request.from = range.first;
    request.to = range.last;
    request.source = folder;
    request.dailyFolder = dailyFolder();
    progress.setPhase(QStringLiteral("ファイル変換中"));
    const convert::ConvertResult converted = convert::convert(request, issues, &http, [](const QString &) {});
    if (!converted.ok)
        return failed(converted.error);
    if (converted.filesWritten == 0)
        return failed(QStringLiteral("フォルダ %1 に %2 ～ %3 の株価データーがありません。")
                          .arg(QDir::toNativeSeparators(folder), DateUtil::formatYYMMDD(range.first), DateUtil::formatYYMMDD(range.last)));
    return importRange(range, progress, prompt);
}

Range exchangeServiceRange(const QDate &today, const QString &plan)
{
    const bool freePlan = convert::jquants::planNamed(plan) == convert::jquants::Plan::Free;
    return proposedRange(freePlan ? today.addDays(-convert::jquants::FreePlanDelayDays) : today);
}

Outcome fromExchangeService(const QDate &today, Http &http, Progress &progress, Prompt &prompt,
                            const std::function<bool()> &stopRequested)
{
    namespace jq = convert::jquants;
    if (Settings::exchangeServiceKey().isEmpty())
        return failed(QStringLiteral("取引所データーサービスのAPIキーを入力して下さい。"));
    const Range range = exchangeServiceRange(today, MainModule::JQuantsPlan);
    const jq::SettingsRun settings = jq::runOfSettings(range.first, range.last, today, false);
    if (!settings.problem.isEmpty())
        return failed(settings.problem, true);
    convert::IssueRegister issues;
    try {
        issues = convert::IssueRegister::load(MainModule::DBPath);
    } catch (const db::DbError &e) {
        return failed(e.description());
    }
    if (!QDir().mkpath(MainModule::dataFolder()))
        return failed(QStringLiteral("フォルダ %1 を作成できません。").arg(QDir::toNativeSeparators(MainModule::dataFolder())));
    jq::Client service(http, settings.client, [&stopRequested](int ms) { return jq::waitUnlessStopped(ms, stopRequested); });
    const jq::RunResult fetched = jq::run(
        settings.options, issues, service, [&progress](const jq::RunProgress &p) { progress.setPhase(jq::progressText(p)); },
        stopRequested);
    if (!fetched.ok)
        return failed(fetched.error);
    if (fetched.stopped)
        return failed(QStringLiteral("途中で止めました。取得済みの日は残っています。もう一度「開始」を押すと続きから取得します。"));
    {
        importer::ImportContext context{progress, prompt};
        const importer::ImportResult result = importer::ImportRegistration(context);
        if (!result.completed)
            return failed(result.errorDescription.isEmpty() ? QStringLiteral("銘柄登録を読み込めませんでした。") : result.errorDescription);
    }
    Outcome outcome = importRange(range, progress, prompt);
    if (outcome.ok && !fetched.notes.isEmpty())
        outcome.message += QLatin1Char('\n') + fetched.notes.join(QLatin1Char('\n'));
    return outcome;
}

Outcome fromDemo(const Range &range, Progress &progress, Prompt &prompt)
{
    importer::GeneratorOptions options;
    options.issues = 300;
    options.firstDay = range.first;
    int weekdays = 0;
    for (QDate d = range.first; d <= range.last; d = d.addDays(1))
        weekdays += d.dayOfWeek() <= 5 ? 1 : 0;
    options.tradingDays = weekdays;
    options.seed = 7;
    options.newListingPercent = 0;
    importer::DataGenerator generator(options);
    if (MainModule::hibiPath.trimmed().isEmpty())
        return failed(QStringLiteral("日々データーフォルダが登録されていません。"), true);

    progress.setPhase(QStringLiteral("デモデーター作成中"));
    QString error;
    const QString registration = QDir(MainModule::dataFolder()).filePath(QStringLiteral("Regist.Mei"));
    if (!generator.writeRegistration(registration, &error) || generator.writeFiles(dailyFolder(), QString(), &error) < 0)
        return failed(error);
    {
        importer::ImportContext context{progress, prompt};
        const importer::ImportResult result = importer::ImportRegistration(context);
        if (!result.completed)
            return failed(result.errorDescription.isEmpty() ? QStringLiteral("銘柄登録を読み込めませんでした。") : result.errorDescription);
    }
    Outcome outcome = importRange(range, progress, prompt);
    if (outcome.ok)
        outcome.message = QStringLiteral("デモデーター（作成した300銘柄の株価で、実際の株価ではありません）を読み込みました。\n") + outcome.message;
    return outcome;
}

QString firstIssueWithPrices()
{
    try {
        db::Database database(MainModule::DBPath);
        const QVariant code = database.scalar(QStringLiteral("select min(コード) from daydata"));
        return code.isNull() ? QString() : code.toString();
    } catch (const db::DbError &) {
        return {};
    }
}

} // namespace FirstStart
