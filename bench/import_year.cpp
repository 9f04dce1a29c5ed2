// The price import measured on generated data of a realistic size, in fresh program folders:
//  1. the daily import of a year (issues × trading days) into an empty database, against the same
//     rows inserted raw with one prepared statement in one transaction into the same schema;
//  2. the weekly build over that year, against the year's import time;
//  3. peak resident memory of each step over the year: the import, the weekly build and a
//     recalculation of the daily changes from the year's first day (each peak measured from the
//     step's start where the system can reset it, else the process's peak so far);
//  4. the everyday case: one new day imported into a database holding several years (median of 5),
//     through the connection kept from the run before and with every connection closed first.
//   import_year [--issues N] [--days D] [--history-years Y] [--new-day-runs R] [--seed S] [--work DIR]
// "history ready" goes to stderr before the new-day runs, for a profiler to attach then.

#include "base/DateUtil.h"
#include "base/MainModule.h"
#include "base/TextFile.h"
#include "datagen/DataGenerator.h"
#include "db/Database.h"
#include "db/Schema.h"
#include "import/ChangeRecalc.h"
#include "import/DailyImport.h"
#include "import/ImportPaths.h"
#include "import/ImportRun.h"
#include "import/Registration.h"
#include "import/WeeklyBuilder.h"

#include "BenchSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <sqlite3.h>
#if defined(Q_OS_UNIX)
#include <sys/resource.h>
#endif

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

using bench::makeProgramFolder;
using bench::QuietPrompt;
using bench::RawInserter;

// Starts a new peak: Linux resets the high-water mark of resident memory on "5" to clear_refs.
void resetPeakRss()
{
    if (FILE *f = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", f);
        std::fclose(f);
    }
}

double peakRssMb()
{
    if (FILE *f = std::fopen("/proc/self/status", "r")) {
        char line[256];
        long kb = -1;
        while (std::fgets(line, sizeof line, f))
            if (std::sscanf(line, "VmHWM: %ld kB", &kb) == 1)
                break;
        std::fclose(f);
        if (kb >= 0)
            return double(kb) / 1024.0;
    }
#if defined(Q_OS_UNIX)
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0; // kilobytes on Linux
#else
    return -1;
#endif
}

importer::ImportResult importDays(const QDate &from, const QDate &to)
{
    NullProgress progress;
    QuietPrompt prompt;
    importer::ImportContext context{progress, prompt};
    return importer::ImportDailyFiles(importer::DailyImportRequest::fromSettings(from, to, false, false), context);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments();
    args.removeFirst();
    importer::GeneratorOptions options;
    int historyYears = 5;
    int newDayRuns = 5;
    QString work;
    while (!args.isEmpty()) {
        const QString a = args.takeFirst();
        const QString v = args.isEmpty() ? QString() : args.takeFirst();
        if (a == QLatin1String("--issues"))
            options.issues = v.toInt();
        else if (a == QLatin1String("--days"))
            options.tradingDays = v.toInt();
        else if (a == QLatin1String("--history-years"))
            historyYears = v.toInt();
        else if (a == QLatin1String("--new-day-runs"))
            newDayRuns = std::max(1, v.toInt());
        else if (a == QLatin1String("--seed"))
            options.seed = v.toULongLong();
        else if (a == QLatin1String("--work"))
            work = v;
        else {
            std::fprintf(stderr, "usage: import_year [--issues N] [--days D] [--history-years Y] [--new-day-runs R] [--seed S] [--work DIR]\n");
            return 2;
        }
    }
    QTemporaryDir tmp((work.isEmpty() ? QDir::tempPath() : work) + QStringLiteral("/import_year-XXXXXX"));
    if (!tmp.isValid()) {
        std::fprintf(stderr, "cannot make a work folder\n");
        return 1;
    }

    // 1. The year's import into an empty database.
    makeProgramFolder(tmp.path(), QStringLiteral("year"));
    importer::DataGenerator generator(options);
    const QDate first = generator.tradingDays().front(), last = generator.tradingDays().back();
    const qint64 fileRecords = generator.writeFiles(importer::folderPath(MainModule::hibiPath), QString());
    std::printf("data                 %d issues x %d trading days (%s to %s), %lld file records\n", options.issues,
                options.tradingDays, qPrintable(first.toString(Qt::ISODate)), qPrintable(last.toString(Qt::ISODate)), fileRecords);

    QElapsedTimer t;
    resetPeakRss();
    t.start();
    const importer::ImportResult year = importDays(first, last);
    const double importSeconds = t.elapsed() / 1000.0;
    const double rssAfterImport = peakRssMb();
    if (!year.completed) {
        std::fprintf(stderr, "the import failed\n");
        return 1;
    }
    const qint64 stored = year.storedRecords;

    // 2. The weekly build over the same year.
    NullProgress progress;
    resetPeakRss();
    t.restart();
    importer::BuildWeeklyData(DateUtil::MondayOnOrBefore(first), DateUtil::FridayOnOrAfter(last), progress);
    const double weeklySeconds = t.elapsed() / 1000.0;
    const double rssAfterWeekly = peakRssMb();
    resetPeakRss();
    t.restart();
    importer::RecalculateChanges(QStringLiteral("daydata"), first, progress);
    const double recalcSeconds = t.elapsed() / 1000.0;
    const double rssAfterRecalc = peakRssMb();
    qint64 weeks = 0;
    {
        db::Database d(MainModule::DBPath);
        weeks = d.scalar(QStringLiteral("select Count(コード) from weekdata")).toLongLong();
    }

    // The same rows raw, into the same schema in a second folder.
    makeProgramFolder(tmp.path(), QStringLiteral("raw"));
    qint64 rawRows = 0;
    double rawSeconds = 0;
    {
        db::Database d(MainModule::DBPath);
        importer::DataGenerator again(options);
        std::vector<std::pair<QDate, std::vector<importer::GeneratedRecord>>> days;
        again.generate([&](int, const QDate &date, const std::vector<importer::GeneratedRecord> &records) {
            days.emplace_back(date, records);
        });
        RawInserter raw(d.handle());
        t.restart();
        sqlite3_exec(d.handle(), "BEGIN", nullptr, nullptr, nullptr);
        for (const auto &[date, records] : days)
            rawRows += raw.day(date, records);
        sqlite3_exec(d.handle(), "COMMIT", nullptr, nullptr, nullptr);
        rawSeconds = t.elapsed() / 1000.0;
    }

    std::printf("import-daily (year)  %.2f s  %.0f rows/s  (%lld rows)\n", importSeconds, stored / importSeconds, stored);
    std::printf("raw insert (same)    %.2f s  %.0f rows/s  (%lld rows)\n", rawSeconds, rawRows / rawSeconds, rawRows);
    std::printf("import / raw rate    %.2f  (target >= 0.80)\n", (stored / importSeconds) / (rawRows / rawSeconds));
    std::printf("build-weekly (year)  %.2f s  (%lld weekly rows)\n", weeklySeconds, weeks);
    std::printf("weekly / import time %.2f  (target <= 1.50)\n", weeklySeconds / importSeconds);
    std::printf("recalc daily (year)  %.2f s\n", recalcSeconds);
    std::printf("peak RSS of import   %.1f MB  (target <= 50)\n", rssAfterImport);
    std::printf("peak RSS of weekly   %.1f MB  (target <= 50)\n", rssAfterWeekly);
    std::printf("peak RSS of recalc   %.1f MB  (target <= 50)\n", rssAfterRecalc);
    std::fflush(stdout);

    // 4. One new day into a database holding historyYears years.
    if (historyYears > 0) {
        makeProgramFolder(tmp.path(), QStringLiteral("history"));
        importer::GeneratorOptions h = options;
        h.tradingDays = historyYears * 245 + 1;
        importer::DataGenerator history(h);
        if (!history.writeRegistration(QDir(MainModule::dataFolder()).filePath(QStringLiteral("Regist.Mei"))))
            return 1;
        {
            QuietPrompt prompt;
            importer::ImportContext context{progress, prompt};
            importer::ImportRegistration(context);
        }
        QDate newDay;
        qint64 historyRows = 0;
        {
            db::Database d(MainModule::DBPath);
            RawInserter raw(d.handle());
            sqlite3_exec(d.handle(), "BEGIN", nullptr, nullptr, nullptr);
            history.generate([&](int index, const QDate &date, const std::vector<importer::GeneratedRecord> &records) {
                if (index + 1 < h.tradingDays) {
                    historyRows += raw.day(date, records);
                } else {
                    newDay = date;
                    TextFile::writeLines(importer::fileIn(MainModule::hibiPath, importer::dailyFileName(date)),
                                         importer::DataGenerator::dailyFileLines(date, records));
                }
            });
            sqlite3_exec(d.handle(), "COMMIT", nullptr, nullptr, nullptr);
        }
        std::fprintf(stderr, "history ready\n");
        // Warm: through the connection the previous run's clean-up left in the pool, as for a second
        // import in one session. After a start: every connection closed first, so the day's index
        // pages come from the system again, as for the first import after the program starts.
        for (const bool afterStart : {false, true}) {
            std::vector<double> runs;
            for (int i = 0; i < newDayRuns; ++i) {
                if (afterStart)
                    db::Database::closeAll();
                t.restart();
                const importer::ImportResult r = importDays(newDay, newDay);
                runs.push_back(t.elapsed() / 1000.0);
                if (!r.completed || r.storedRecords == 0) {
                    std::fprintf(stderr, "the new day was not imported\n");
                    return 1;
                }
                db::Database d(MainModule::DBPath);
                d.execute(QStringLiteral("delete * from daydata where 日付=?"), {newDay});
            }
            std::sort(runs.begin(), runs.end());
            std::printf("%s median %.3f s of %d (%.3f .. %.3f) into %lld rows of %d years  (target <= 0.080)\n",
                        afterStart ? "one new day after a start" : "one new day         ", runs[runs.size() / 2], newDayRuns,
                        runs.front(), runs.back(), historyRows, historyYears);
        }
    }
    return 0;
}
