// Times the data maintenance on a database of many years and issues:
//   maintenance [--years Y] [--issues N] [--keep DIR]
// The database is built by bulk inserts (daily, weekly and margin rows, issues, a few codes without
// registration) into DIR/source.mdb, kept there for later runs when --keep is given. Each run works
// on a fresh copy. Reported: the code change of one issue, both issue checks, a one-year range
// deletion, a backup against a plain file copy, and the compaction against VACUUM INTO.

#include "base/DateUtil.h"
#include "base/MainModule.h"
#include "base/Ports.h"
#include "db/Database.h"
#include "db/DatabaseFile.h"
#include "db/Schema.h"
#include "maint/Backup.h"
#include "maint/Compaction.h"
#include "maint/DataDeletion.h"
#include "maint/IssueCheck.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <cstdio>
#include <functional>
#include <random>
#include <unistd.h>

namespace {

class YesPrompt final : public Prompt
{
public:
    bool askYesNo(const QString &, const QString &, PromptIcon) override { return true; }
    void inform(const QString &text, const QString &, PromptIcon) override { last = text; }
    QString pickOpenFile(const QString &, const QString &) override { return {}; }
    QString pickSaveFile(const QString &, const QString &, const QString &) override { return {}; }
    QString pickFolder(const QString &, const QString &current) override { return current; }
    QString last;
};

void exec(sqlite3 *h, const char *sql)
{
    char *message = nullptr;
    if (sqlite3_exec(h, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        std::fprintf(stderr, "%s: %s\n", sql, message ? message : "?");
        std::exit(1);
    }
}

// Fills a new database: issues 1000.. with daily rows on weekdays, weekly and margin rows on Fridays.
void build(const QString &path, int years, int issues)
{
    if (!db::CreateDatabaseFile(path, nullptr))
        std::exit(1);
    db::Database::closeAll();
    sqlite3 *h = nullptr;
    sqlite3_open(path.toUtf8().constData(), &h);
    exec(h, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; PRAGMA cache_size=-400000; BEGIN");
    std::mt19937 random(7);
    QList<QDate> days;
    const QDate last(2024, 12, 27);
    for (QDate d = last.addYears(-years).addDays(1); d <= last; d = d.addDays(1)) {
        if (d.dayOfWeek() <= 5)
            days.append(d);
    }
    sqlite3_stmt *mei = nullptr, *day = nullptr, *week = nullptr, *margin = nullptr;
    sqlite3_prepare_v2(h, "INSERT INTO Mei VALUES (?,1,'銘柄',1000,1,1)", -1, &mei, nullptr);
    sqlite3_prepare_v2(h, "INSERT INTO dayData VALUES (?,?,?,?,?,?,0,?,?)", -1, &day, nullptr);
    sqlite3_prepare_v2(h, "INSERT INTO weekData VALUES (?,?,?,?,?,?,0,?,?,100,200)", -1, &week, nullptr);
    sqlite3_prepare_v2(h, "INSERT INTO shinyo VALUES (?,?,100,200,1000)", -1, &margin, nullptr);
    auto step = [&](sqlite3_stmt *s) {
        if (sqlite3_step(s) != SQLITE_DONE) {
            std::fprintf(stderr, "insert: %s\n", sqlite3_errmsg(h));
            std::exit(1);
        }
        sqlite3_reset(s);
    };
    // Rows go in day by day, as the daily import writes them, so the tables are laid out by date.
    std::vector<int> closes;
    for (int i = 0; i < issues; ++i) {
        closes.push_back(200 + int(random() % 3000));
        if (i % 500 != 7) { // a few codes have prices but no registration
            sqlite3_bind_int(mei, 1, 1000 + i * 2);
            step(mei);
        }
    }
    auto fill = [&](sqlite3_stmt *s, int i, const QByteArray &iso) {
        int &close = closes[size_t(i)];
        close = std::max(1, close + int(random() % 21) - 10);
        sqlite3_bind_int(s, 1, 1000 + i * 2);
        sqlite3_bind_text(s, 2, iso.constData(), int(iso.size()), SQLITE_TRANSIENT);
        for (int c = 3; c <= 6; ++c)
            sqlite3_bind_int(s, c, close);
        sqlite3_bind_double(s, 7, double(random() % 100000));
        sqlite3_bind_int(s, 8, close);
        step(s);
    };
    for (const QDate &d : days) {
        const QByteArray iso = d.toString(Qt::ISODate).toLatin1();
        for (int i = 0; i < issues; ++i)
            fill(day, i, iso);
        if (d.dayOfWeek() != 5)
            continue;
        for (int i = 0; i < issues; ++i) {
            fill(week, i, iso);
            sqlite3_bind_int(margin, 1, 1000 + i * 2);
            sqlite3_bind_text(margin, 2, iso.constData(), int(iso.size()), SQLITE_TRANSIENT);
            step(margin);
        }
    }
    for (int extra = 0; extra < 10; ++extra) { // registrations without prices
        sqlite3_bind_int(mei, 1, 9900 + extra);
        step(mei);
    }
    for (sqlite3_stmt *s : {mei, day, week, margin})
        sqlite3_finalize(s);
    exec(h, "COMMIT; PRAGMA journal_mode=WAL");
    sqlite3_close(h);
}

// Every measurement starts with the disk's write-back done, so that no step pays for the one
// before it (a 1 GB file written just before slows every write that follows).
double seconds(const std::function<void()> &work)
{
    ::sync();
    QElapsedTimer t;
    t.start();
    work();
    return double(t.nsecsElapsed()) / 1e9;
}

void vacuumInto(const QString &from, const QString &to)
{
    sqlite3 *h = nullptr;
    sqlite3_open_v2(from.toUtf8().constData(), &h, SQLITE_OPEN_READWRITE, nullptr);
    exec(h, QStringLiteral("VACUUM INTO '%1'").arg(to).toUtf8().constData());
    sqlite3_close(h);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments();
    args.removeFirst();
    int years = 10, issues = 4000;
    QString keep;
    while (!args.isEmpty()) {
        const QString a = args.takeFirst();
        if (a == QLatin1String("--years") && !args.isEmpty())
            years = args.takeFirst().toInt();
        else if (a == QLatin1String("--issues") && !args.isEmpty())
            issues = args.takeFirst().toInt();
        else if (a == QLatin1String("--keep") && !args.isEmpty())
            keep = args.takeFirst();
        else {
            std::fprintf(stderr, "usage: maintenance [--years Y] [--issues N] [--keep DIR]\n");
            return 2;
        }
    }
    QTemporaryDir scratch(QDir::tempPath() + QStringLiteral("/maintenance-XXXXXX"));
    const QString sourceFolder = keep.isEmpty() ? scratch.path() : keep;
    QDir().mkpath(sourceFolder);
    const QString source = sourceFolder + QStringLiteral("/bydate-%1y-%2.mdb").arg(years).arg(issues);
    if (!QFileInfo::exists(source)) {
        const double s = seconds([&] { build(source, years, issues); });
        std::printf("built %s in %.1f s\n", qPrintable(source), s);
    }
    std::printf("database: %d years x %d issues, %.0f MB\n", years, issues, QFileInfo(source).size() / 1e6);

    MainModule::setProgramFolder(scratch.path());
    const QString dbPath = MainModule::DBPath;
    QFile::remove(dbPath);
    QFile::copy(source, dbPath);
    YesPrompt prompt;
    NullProgress progress;
    const maint::MaintenanceContext context{dbPath, prompt, progress, 1, QDate::currentDate()};

    // Backup against a plain copy of the same file that is synced to the disk, as a backup must be
    // (the copy first warms the page cache for both).
    const QString media = scratch.path() + QStringLiteral("/media");
    QDir().mkpath(media);
    QFile::copy(dbPath, media + QStringLiteral("/warm.mdb"));
    QFile::remove(media + QStringLiteral("/warm.mdb"));
    // Best of two rounds, taken in turn, so that neither pays alone for the disk's write-back.
    QString error;
    double copy = 1e9, backup = 1e9;
    for (int round = 0; round < 2; ++round) {
        copy = std::min(copy, seconds([&] {
                            QFile::copy(dbPath, media + QStringLiteral("/copy.mdb"));
                            db::SyncFile(media + QStringLiteral("/copy.mdb"));
                        }));
        QFile::remove(media + QStringLiteral("/copy.mdb"));
        backup = std::min(backup, seconds([&] {
                              if (!maint::BackUpDatabase(dbPath, media + QStringLiteral("/Miravel.mdb"), &error))
                                  std::fprintf(stderr, "backup: %s\n", qPrintable(error));
                          }));
        QFile::remove(media + QStringLiteral("/Miravel.mdb"));
    }
    std::printf("backup             %7.3f s   synced copy %6.3f s   ratio %.2f (aim <= 1.5)\n", backup, copy, backup / copy);

    // Compaction against VACUUM INTO by the sqlite3 library.
    double vacuum = 1e9, compact = 1e9;
    for (int round = 0; round < 2; ++round) {
        vacuum = std::min(vacuum, seconds([&] { vacuumInto(dbPath, media + QStringLiteral("/vacuum.mdb")); }));
        QFile::remove(media + QStringLiteral("/vacuum.mdb"));
        compact = std::min(compact, seconds([&] {
                               if (!maint::CompactDatabase(dbPath, &error))
                                   std::fprintf(stderr, "compact: %s\n", qPrintable(error));
                           }));
    }
    std::printf("compaction         %7.3f s   VACUUM INTO %6.3f s   ratio %.2f (aim <= 1.2)\n", compact, vacuum,
                compact / vacuum);
    QFile::remove(maint::OldDbPathOf(dbPath));

    std::vector<qint64> found;
    const double check1 = seconds([&] {
        found = maint::CompareIssues(dbPath, QStringLiteral("daydata"), maint::IssueCheck::PricesWithoutRegistration, progress);
    });
    std::printf("prices w/o issue   %7.3f s   (%zu codes, aim <= 2 s)\n", check1, found.size());
    const double check2 = seconds([&] {
        found = maint::CompareIssues(dbPath, QStringLiteral("daydata"), maint::IssueCheck::RegistrationWithoutPrices, progress);
    });
    std::printf("issues w/o prices  %7.3f s   (%zu codes, aim <= 2 s)\n", check2, found.size());

    // The same statements on another issue, straight through the sqlite3 library.
    const double rawChange = seconds([&] {
        sqlite3 *h = nullptr;
        sqlite3_open_v2(dbPath.toUtf8().constData(), &h, SQLITE_OPEN_READWRITE, nullptr);
        exec(h, "PRAGMA synchronous=NORMAL");
        for (const char *table : {"dayData", "weekData", "informationData", "board", "shinyo", "stockmarket"})
            exec(h, QStringLiteral("UPDATE %1 SET コード=9802 WHERE コード=1202").arg(QLatin1String(table)).toUtf8().constData());
        exec(h, "UPDATE Mei SET コード=9802, 市場コード=2 WHERE コード=1202");
        sqlite3_close(h);
    });
    const double change = seconds([&] {
        maint::ChangeCodeAndMarket(context, QStringLiteral("1200"), QStringLiteral("1"), QStringLiteral("9800"),
                                   QStringLiteral("2"));
    });
    std::printf("code change        %7.3f s   raw updates %6.3f s   ratio %.2f (%s, aim <= 0.5 s)\n", change,
                rawChange, change / rawChange, qPrintable(prompt.last));

    const QDate lastDay(2024, 12, 27);
    const double range = seconds([&] {
        maint::DeleteDateRange(context, DateUtil::formatYYYYMMDD(lastDay.addYears(-1).addDays(1)),
                               DateUtil::formatYYYYMMDD(lastDay));
    });
    std::printf("one-year deletion  %7.3f s   (%s)\n", range, qPrintable(prompt.last));
    db::Database::closeAll();
    return 0;
}
