// The J-Quants source measured against a stand-in of the service on this computer:
//  1. a year of a market of generated issues fetched without pacing and written as the registration,
//     daily and margin files, against the time the import of those daily files then takes, and the
//     peak memory of the fetch;
//  2. the requests of that year, which a paced run makes alike, and the time the plans' pace gives.
//   convert_jquants [--issues N] [--days D] [--seed S] [--page-size P] [--work DIR]
// The stand-in runs in a child process (this program with --serve), so that the measured process
// holds only the converter.

#include "base/MainModule.h"
#include "convert/JQuantsSource.h"
#include "datagen/DataGenerator.h"
#include "db/Database.h"
#include "import/DailyImport.h"
#include "import/ImportPaths.h"
#include "import/ImportRun.h"
#include "import/Registration.h"
#include "loopback/LoopbackServer.h"
#include "loopback/ServiceFixture.h"
#include "net/HttpClient.h"

#include "BenchSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <vector>

#if defined(Q_OS_UNIX)
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace {

double peakRssMb()
{
#if defined(Q_OS_UNIX)
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0; // kilobytes on Linux
#else
    return -1;
#endif
}

// The service's market segment of a generated market position; other positions are markets the
// program does not keep.
QString segmentOf(int position)
{
    switch (position) {
    case 0:
        return QStringLiteral("0111");
    case 1:
        return QStringLiteral("0112");
    case 5:
        return QStringLiteral("0113");
    default:
        return QStringLiteral("0109");
    }
}

QString serviceCode(int code)
{
    return QString::number(code) + QLatin1Char('0');
}

struct Bar
{
    int code;
    qint32 open, high, low, close;
    qint64 shares;
};

// The stand-in: the generated year kept compact, answered a day at a time. Prints its port and
// serves until its parent closes its input.
int serve(const importer::GeneratorOptions &options, int pageSize)
{
    importer::DataGenerator generator(options);
    QMap<QDate, std::vector<Bar>> bars;
    QMap<QDate, std::vector<importer::MarginFileRecord>> margins;
    std::vector<int> unitOf(10000, 1000);
    for (const importer::GeneratedIssue &i : generator.issues())
        unitOf[size_t(i.code)] = i.volumeUnit;
    generator.generate(
        [&](int, const QDate &date, const std::vector<importer::GeneratedRecord> &records) {
            std::vector<Bar> &day = bars[date];
            day.reserve(records.size());
            for (const importer::GeneratedRecord &r : records)
                day.push_back({r.code, r.open, r.high, r.low, r.close, r.volume * unitOf[size_t(r.code)]});
        },
        [&](const QDate &date, const std::vector<importer::MarginFileRecord> &records) {
            margins[date.addDays(5 - date.dayOfWeek())] = records;
        });

    testing_support::LoopbackServer server;
    testing_support::ServiceFixture service(server);
    service.pageSize = pageSize;
    QJsonArray listing;
    for (const importer::GeneratedIssue &i : generator.issues())
        listing.append(QJsonObject{{QStringLiteral("Code"), serviceCode(i.code)},
                                   {QStringLiteral("CoName"), i.name},
                                   {QStringLiteral("Mkt"), segmentOf(i.position)}});
    service.listingOf = [&](const QDate &) { return listing; };
    service.barsOf = [&](const QDate &date) {
        QJsonArray rows;
        const QString day = date.toString(Qt::ISODate);
        for (const Bar &b : bars.value(date)) {
            QJsonObject row{{QStringLiteral("Date"), day}, {QStringLiteral("Code"), serviceCode(b.code)}, {QStringLiteral("AdjFactor"), 1.0}};
            const bool traded = b.shares > 0;
            row.insert(QStringLiteral("O"), traded ? QJsonValue(b.open) : QJsonValue());
            row.insert(QStringLiteral("H"), traded ? QJsonValue(b.high) : QJsonValue());
            row.insert(QStringLiteral("L"), traded ? QJsonValue(b.low) : QJsonValue());
            row.insert(QStringLiteral("C"), traded ? QJsonValue(b.close) : QJsonValue());
            row.insert(QStringLiteral("Vo"), traded ? QJsonValue(double(b.shares)) : QJsonValue());
            rows.append(row);
        }
        return rows;
    };
    // The service dates a week's balances on its last trading day; the generator on the Friday.
    service.marginsOf = [&](const QDate &date) {
        QJsonArray rows;
        for (const importer::MarginFileRecord &m : margins.value(date.addDays(5 - date.dayOfWeek())))
            rows.append(QJsonObject{{QStringLiteral("Date"), date.toString(Qt::ISODate)},
                                    {QStringLiteral("Code"), serviceCode(m.code)},
                                    {QStringLiteral("ShrtVol"), double(qint64(m.sell) * m.unit)},
                                    {QStringLiteral("LongVol"), double(qint64(m.buy) * m.unit)}});
        return rows;
    };
    std::printf("%d\n", int(server.port()));
    std::fflush(stdout);
#if defined(Q_OS_UNIX)
    // Serves until the parent ends it, and never outlives the parent.
    const pid_t parent = getppid();
    QTimer orphaned;
    QObject::connect(&orphaned, &QTimer::timeout, [parent] {
        if (getppid() != parent)
            QCoreApplication::quit();
    });
    orphaned.start(1000);
#endif
    return QCoreApplication::exec();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments();
    args.removeFirst();
    importer::GeneratorOptions options;
    options.tradingDays = 245;
    int pageSize = 5000;
    QString work;
    bool serving = false;
    while (!args.isEmpty()) {
        const QString a = args.takeFirst();
        if (a == QLatin1String("--serve")) {
            serving = true;
            continue;
        }
        const QString v = args.isEmpty() ? QString() : args.takeFirst();
        if (a == QLatin1String("--issues"))
            options.issues = v.toInt();
        else if (a == QLatin1String("--days"))
            options.tradingDays = v.toInt();
        else if (a == QLatin1String("--seed"))
            options.seed = v.toULongLong();
        else if (a == QLatin1String("--page-size"))
            pageSize = v.toInt();
        else if (a == QLatin1String("--work"))
            work = v;
        else {
            std::fprintf(stderr, "usage: convert_jquants [--issues N] [--days D] [--seed S] [--page-size P] [--work DIR]\n");
            return 2;
        }
    }
    if (serving)
        return serve(options, pageSize);

    QTemporaryDir tmp((work.isEmpty() ? QDir::tempPath() : work) + QStringLiteral("/convert_jquants-XXXXXX"));
    if (!tmp.isValid())
        return 1;
    QProcess standIn;
    standIn.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    standIn.start(QCoreApplication::applicationFilePath(),
                  {QStringLiteral("--serve"), QStringLiteral("--issues"), QString::number(options.issues),
                   QStringLiteral("--days"), QString::number(options.tradingDays), QStringLiteral("--seed"),
                   QString::number(options.seed), QStringLiteral("--page-size"), QString::number(pageSize)});
    if (!standIn.waitForReadyRead(600000)) {
        std::fprintf(stderr, "the stand-in of the service did not start\n");
        return 1;
    }
    const int port = standIn.readLine().trimmed().toInt();

    bench::makeProgramFolder(tmp.path(), QStringLiteral("jquants"));
    importer::DataGenerator generator(options);
    const QDate first = generator.tradingDays().front(), last = generator.tradingDays().back();

    namespace jq = convert::jquants;
    jq::ClientOptions client;
    client.baseUrl = QStringLiteral("http://127.0.0.1:%1/v2").arg(port);
    client.apiKey = QStringLiteral("test-key");
    jq::RunOptions run;
    run.from = first;
    run.to = last;
    run.today = last.addYears(1);
    run.plan = jq::Plan::Standard;
    run.dailyFolder = importer::folderPath(MainModule::hibiPath);
    run.marginFolder = importer::folderPath(MainModule::sinyoPath);
    run.registrationPath = importer::registrationFilePath();
    run.databasePath = MainModule::DBPath;

    QElapsedTimer t;
    t.start();
    HttpClient http;
    jq::Client service(http, client, [](int ms) { return jq::waitUnlessStopped(ms, {}); });
    const jq::RunResult fetched = jq::run(run, convert::IssueRegister::load(MainModule::DBPath), service, {}, {});
    const double fetchSeconds = t.elapsed() / 1000.0;
    const double fetchRss = peakRssMb();
    if (!fetched.ok) {
        std::fprintf(stderr, "the fetch failed: %s\n", qPrintable(fetched.error));
        standIn.terminate();
        standIn.waitForFinished(10000);
        return 1;
    }

    t.restart();
    NullProgress progress;
    bench::QuietPrompt prompt;
    importer::ImportContext context{progress, prompt};
    const importer::ImportResult imported =
        importer::ImportDailyFiles(importer::DailyImportRequest::fromSettings(first, last, false, false), context);
    const double importSeconds = t.elapsed() / 1000.0;

    std::printf("fetch (year, unpaced) %.2f s  %d issues -> %d daily files (%lld records), %d margin files\n", fetchSeconds,
                options.issues, fetched.daysWritten, fetched.recordsWritten, fetched.marginFilesWritten);
    std::printf("import of the result  %.2f s  (%d rows)\n", importSeconds, imported.storedRecords);
    std::printf("fetch / import        %.2f  (target <= 1.00)\n", fetchSeconds / importSeconds);
    std::printf("peak RSS of the fetch %.1f MB  (target <= 100)\n", fetchRss);
    // At a page size above the number of issues every request is one page: the calendar, two issue
    // lists, a day each, and the rest weeks of margins (a week without balances is asked too).
    const int weeksAsked = fetched.requests - fetched.daysWritten - 3;
    std::printf("requests of the year  %d  (calendar, 2 issue lists, %d trading days, %d weeks of margins; %d rows a page)\n",
                fetched.requests, fetched.daysWritten, weeksAsked, pageSize);
    for (const jq::Plan plan : {jq::Plan::Free, jq::Plan::Light, jq::Plan::Standard, jq::Plan::Premium}) {
        const int requests = jq::planHasMargins(plan) ? fetched.requests : fetched.requests - weeksAsked;
        std::printf("  paced on %-8s %5d requests, %6.1f min\n", qPrintable(jq::planName(plan)), requests,
                    requests * double(jq::paceOf(plan)) / 60000.0);
    }
    standIn.terminate();
    standIn.waitForFinished(10000);
    return 0;
}
