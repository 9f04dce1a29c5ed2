// The converter and the publisher measured on generated data:
//  1. converting a year of per-issue CSV files (one per issue) into daily files, against the time
//     the import of those daily files then takes;
//  2. publishing one day and one year from a database of several years of daily rows, and the
//     next day into the year's tree without a first day (the tree checked for the day to resume).
//   convert_publish [--issues N] [--days D] [--years Y] [--seed S] [--work DIR] [--keep]
// --keep leaves the work folder (its path goes to stderr), for profiling the tools on it.

#include "base/DateUtil.h"
#include "base/MainModule.h"
#include "convert/Converter.h"
#include "datagen/DataGenerator.h"
#include "db/Database.h"
#include "import/DailyImport.h"
#include "import/ImportPaths.h"
#include "import/ImportRun.h"
#include "import/Registration.h"
#include "import/WeeklyBuilder.h"
#include "publish/Publisher.h"

#include "BenchSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <tuple>
#include <vector>

namespace {

void importRegistration(const importer::DataGenerator &generator)
{
    generator.writeRegistration(QDir(MainModule::dataFolder()).filePath(QStringLiteral("Regist.Mei")));
    NullProgress progress;
    bench::QuietPrompt prompt;
    importer::ImportContext context{progress, prompt};
    importer::ImportRegistration(context);
}

double seconds(QElapsedTimer &t)
{
    const double s = t.elapsed() / 1000.0;
    t.restart();
    return s;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments();
    args.removeFirst();
    importer::GeneratorOptions options;
    options.tradingDays = 245;
    int years = 10;
    QString work;
    bool keep = false;
    while (!args.isEmpty()) {
        const QString a = args.takeFirst();
        if (a == QLatin1String("--keep")) {
            keep = true;
            continue;
        }
        const QString v = args.isEmpty() ? QString() : args.takeFirst();
        if (a == QLatin1String("--issues"))
            options.issues = v.toInt();
        else if (a == QLatin1String("--days"))
            options.tradingDays = v.toInt();
        else if (a == QLatin1String("--years"))
            years = v.toInt();
        else if (a == QLatin1String("--seed"))
            options.seed = v.toULongLong();
        else if (a == QLatin1String("--work"))
            work = v;
        else {
            std::fprintf(stderr, "usage: convert_publish [--issues N] [--days D] [--years Y] [--seed S] [--work DIR] [--keep]\n");
            return 2;
        }
    }
    QTemporaryDir tmp((work.isEmpty() ? QDir::tempPath() : work) + QStringLiteral("/convert_publish-XXXXXX"));
    if (!tmp.isValid())
        return 1;
    if (keep) {
        tmp.setAutoRemove(false);
        std::fprintf(stderr, "work folder %s\n", qPrintable(tmp.path()));
    }
    QElapsedTimer t;

    // 1. A year of per-issue files, converted, then imported.
    bench::makeProgramFolder(tmp.path(), QStringLiteral("convert"));
    importer::DataGenerator generator(options);
    importRegistration(generator);
    const QString csv = QDir(tmp.path()).filePath(QStringLiteral("csv"));
    QDir().mkpath(csv);
    {
        QHash<int, qint64> unit;
        for (const importer::GeneratedIssue &i : generator.issues())
            unit.insert(i.code, i.volumeUnit);
        QHash<int, QByteArray> files;
        generator.generate([&](int, const QDate &date, const std::vector<importer::GeneratedRecord> &records) {
            const QByteArray d = date.toString(Qt::ISODate).toLatin1();
            for (const auto &r : records) {
                QByteArray &f = files[r.code];
                if (f.isEmpty())
                    f = "Date,Open,High,Low,Close,Volume\n";
                f += d + ',' + QByteArray::number(r.open) + ',' + QByteArray::number(r.high) + ','
                    + QByteArray::number(r.low) + ',' + QByteArray::number(r.close) + ','
                    + QByteArray::number(r.volume * unit.value(r.code)) + '\n';
            }
        });
        for (auto it = files.cbegin(); it != files.cend(); ++it) {
            QFile f(QDir(csv).filePath(QString::number(it.key()) + QStringLiteral(".csv")));
            if (!f.open(QIODevice::WriteOnly) || f.write(it.value()) != it.value().size())
                return 1;
        }
    }
    const QDate first = generator.tradingDays().front(), last = generator.tradingDays().back();
    t.start();
    const convert::IssueRegister issues = convert::IssueRegister::load(MainModule::DBPath);
    const convert::ConvertResult converted =
        convert::convert({first, last, csv, importer::folderPath(MainModule::hibiPath)}, issues, nullptr, {});
    const double convertSeconds = seconds(t);
    if (!converted.ok) {
        std::fprintf(stderr, "conversion failed: %s\n", qPrintable(converted.error));
        return 1;
    }
    NullProgress progress;
    bench::QuietPrompt prompt;
    importer::ImportContext context{progress, prompt};
    const importer::ImportResult imported =
        importer::ImportDailyFiles(importer::DailyImportRequest::fromSettings(first, last, false, false), context);
    const double importSeconds = seconds(t);
    std::printf("convert (year)       %.2f s  %d per-issue files -> %d daily files, %lld records\n", convertSeconds,
                options.issues, converted.filesWritten, converted.recordsWritten);
    std::printf("import of the result %.2f s  (%d rows)\n", importSeconds, imported.storedRecords);
    std::printf("convert / import     %.2f  (target <= 2.00)\n", convertSeconds / importSeconds);
    std::fflush(stdout);

    // 2. Publishing from a database of several years.
    if (years <= 0)
        return 0;
    bench::makeProgramFolder(tmp.path(), QStringLiteral("history"));
    importer::GeneratorOptions h = options;
    h.tradingDays = years * 245;
    importer::DataGenerator history(h);
    importRegistration(history);
    qint64 rows = 0;
    {
        db::Database d(MainModule::DBPath);
        bench::RawInserter raw(d.handle());
        sqlite3_exec(d.handle(), "BEGIN", nullptr, nullptr, nullptr);
        history.generate([&](int, const QDate &date, const std::vector<importer::GeneratedRecord> &records) {
            rows += raw.day(date, records);
        });
        sqlite3_exec(d.handle(), "COMMIT", nullptr, nullptr, nullptr);
    }
    const QDate end = history.tradingDays().back();
    const QDate yearStart = history.tradingDays()[history.tradingDays().size() - 245];
    importer::BuildWeeklyData(DateUtil::MondayOnOrBefore(yearStart), DateUtil::FridayOnOrAfter(end), progress);
    db::Database::closeAll();
    std::printf("database             %lld daily rows over %d years (made in %.0f s)\n", rows, years, seconds(t));
    std::fflush(stdout);

    // One day, the median of three runs, two ways: into a new tree, and as the daily routine does,
    // the next day into the tree of the days before (after two untimed days, so that the tree has
    // reached the state it keeps from then on). The first run also reads the file into the cache.
    // The machine may be shared: the processor time of the runs is printed beside the wall time.
    QString failure;
    struct DayRuns
    {
        std::vector<double> wall, cpu;
    };
    const auto publishDay = [&](const QString &out, const QDate &date, DayRuns *timed) {
        const std::clock_t start = std::clock();
        t.restart();
        const publish::PublishResult r = publish::publish(MainModule::DBPath, {out, date, date});
        if (!r.ok)
            failure = r.error;
        if (timed) {
            timed->wall.push_back(seconds(t));
            timed->cpu.push_back(double(std::clock() - start) / CLOCKS_PER_SEC);
        }
    };
    const std::vector<QDate> &days = history.tradingDays();
    DayRuns fresh, daily;
    for (int i = 0; i < 3; ++i)
        publishDay(QDir(tmp.path()).filePath(QStringLiteral("day%1").arg(i)), end, &fresh);
    const QString tree = QDir(tmp.path()).filePath(QStringLiteral("daily"));
    for (size_t i = days.size() - 5; i < days.size(); ++i)
        publishDay(tree, days[i], i + 3 < days.size() ? nullptr : &daily);
    // A year up to two days before the last, then the daily routine without a first day: one
    // untimed day (so that the quote pages have their previous copies), then the last day, after
    // checking every day of the year's tree.
    const QString yearTree = QDir(tmp.path()).filePath(QStringLiteral("year"));
    t.restart();
    const std::clock_t yearCpu = std::clock();
    const publish::PublishResult year = publish::publish(MainModule::DBPath, {yearTree, yearStart, days[days.size() - 3]});
    const double yearSeconds = seconds(t);
    const double yearCpuSeconds = double(std::clock() - yearCpu) / CLOCKS_PER_SEC;
    if (!publish::publish(MainModule::DBPath, {yearTree, {}, days[days.size() - 2]}).ok)
        failure = QStringLiteral("the day before the last");
    t.restart();
    const std::clock_t resumeCpu = std::clock();
    const publish::PublishResult resumed = publish::publish(MainModule::DBPath, {yearTree, {}, {}});
    const double resumeSeconds = seconds(t);
    const double resumeCpuSeconds = double(std::clock() - resumeCpu) / CLOCKS_PER_SEC;
    if (!failure.isEmpty() || !year.ok || !resumed.ok || resumed.from != end) {
        std::fprintf(stderr, "publishing failed: %s%s%s\n", qPrintable(failure), qPrintable(year.error), qPrintable(resumed.error));
        return 1;
    }
    const auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    for (const auto &[name, runs, aim] : {std::tuple{"into a new tree      ", &fresh, "target <= 1 s"},
                                          std::tuple{"after the days before", &daily, "aim <= 0.2 s, stretch <= 0.1 s"}}) {
        std::printf("publish one day %s median %.2f s of 3 (%.2f .. %.2f), processor %.2f s; %s\n", name, median(runs->wall),
                    *std::min_element(runs->wall.begin(), runs->wall.end()), *std::max_element(runs->wall.begin(), runs->wall.end()),
                    median(runs->cpu), aim);
    }
    std::printf("publish one year     %.2f s, processor %.2f s  (%d daily, %d ranking files; target <= 60 s)\n", yearSeconds,
                yearCpuSeconds, year.dailyFiles, year.rankingFiles);
    std::printf("publish the next day without a first day into the year's tree %.2f s, processor %.2f s; target <= 1 s\n",
                resumeSeconds, resumeCpuSeconds);
    return 0;
}
