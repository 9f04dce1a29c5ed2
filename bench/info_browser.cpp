// The information browser on a large database: picking a kind (its date list), picking a date (its
// ranking), and the current prices of the last 20 dates; then a month of rankings downloaded from a
// loopback server against fetching the same files without storing them, in the same run.
//   info_browser [years=10] [database file to keep between runs]

#include "base/MainModule.h"
#include "base/TextFile.h"
#include "db/Database.h"
#include "db/DatabaseFile.h"
#include "db/Schema.h"
#include "db/SqlTranslator.h"
#include "info/InfoBrowser.h"
#include "info/InfoDownload.h"
#include "info/InfoKinds.h"
#include "info/InfoSearch.h"
#include "info/InfoServer.h"
#include "loopback/LoopbackServer.h"
#include "net/HttpClient.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int Issues = 4000;
constexpr int RankRows = 50;
const QDate FirstDay(2015, 1, 5);

QList<QDate> weekdays(int years)
{
    QList<QDate> days;
    for (QDate d = FirstDay; d < FirstDay.addYears(years); d = d.addDays(1))
        if (d.dayOfWeek() <= 5)
            days.append(d);
    return days;
}

void fill(const QString &path, int years)
{
    db::CreateDatabaseFile(path, nullptr);
    db::Database d(path);
    sqlite3 *h = d.handle();
    sqlite3_exec(h, "PRAGMA cache_size=-2000000", nullptr, nullptr, nullptr);
    sqlite3_exec(h, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt *day = nullptr, *rank = nullptr, *kind = nullptr;
    sqlite3_prepare_v2(h, "INSERT INTO dayData VALUES (?,?,?,?,?,?,0,10000,?)", -1, &day, nullptr);
    sqlite3_prepare_v2(h, "INSERT INTO informationData (種類コード,日付,順位,コード,株価,出来高,前日比,値,コメント,Top種類コード) "
                          "VALUES (?,?,?,?,?,?,0,'1.0','c',?)",
                       -1, &rank, nullptr);
    sqlite3_prepare_v2(h, "INSERT INTO informationClass VALUES (?,?,?)", -1, &kind, nullptr);
    for (const InfoKinds::Kind &k : InfoKinds::shipped()) {
        const QByteArray code = k.code.toUtf8(), name = k.name.toUtf8();
        sqlite3_bind_text(kind, 1, code.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(kind, 2, name.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(kind, 3, k.order);
        sqlite3_step(kind);
        sqlite3_reset(kind);
    }
    sqlite3_exec(h, "INSERT INTO wrkinformationClass SELECT * FROM informationClass", nullptr, nullptr, nullptr);
    int n = 0;
    for (const QDate &date : weekdays(years)) {
        const QByteArray iso = date.toString(Qt::ISODate).toLatin1();
        for (int code = 1000; code < 1000 + Issues; ++code) {
            const int price = 500 + (code * 7919 + n) % 3000;
            sqlite3_bind_int(day, 1, code);
            sqlite3_bind_text(day, 2, iso.constData(), int(iso.size()), SQLITE_STATIC);
            for (int c = 3; c <= 7; ++c)
                sqlite3_bind_int(day, c, price);
            sqlite3_step(day);
            sqlite3_reset(day);
        }
        for (const InfoKinds::Kind &k : InfoKinds::shipped()) {
            if (k.code.startsWith(QLatin1Char('w')) && date.dayOfWeek() != 5)
                continue;
            const QByteArray code = k.code.toUtf8(), top = k.code.left(1).toUtf8();
            for (int r = 1; r <= RankRows; ++r) {
                sqlite3_bind_text(rank, 1, code.constData(), -1, SQLITE_TRANSIENT);
                sqlite3_bind_text(rank, 2, iso.constData(), int(iso.size()), SQLITE_STATIC);
                sqlite3_bind_int(rank, 3, r);
                sqlite3_bind_int(rank, 4, 1000 + (r * 131 + n * 17 + k.order * 7) % Issues);
                sqlite3_bind_int(rank, 5, 400 + (r * 37) % 2000);
                sqlite3_bind_int(rank, 6, 1000 * r);
                sqlite3_bind_text(rank, 7, top.constData(), -1, SQLITE_TRANSIENT);
                sqlite3_step(rank);
                sqlite3_reset(rank);
            }
        }
        if (++n % 100 == 0) {
            sqlite3_exec(h, "COMMIT; BEGIN", nullptr, nullptr, nullptr);
            std::fprintf(stderr, "\rfilled %d days", n);
        }
    }
    for (sqlite3_stmt *s : {day, rank, kind})
        sqlite3_finalize(s);
    sqlite3_exec(h, "COMMIT", nullptr, nullptr, nullptr);
    std::fprintf(stderr, "\n");
}

// The same query straight on SQLite, every row stepped: the baseline of the layer.
int readRaw(const QString &source)
{
    db::Database d(MainModule::DBPath);
    const QByteArray sql = db::translate(source).sql.toUtf8();
    sqlite3_stmt *s = nullptr;
    sqlite3_prepare_v2(d.handle(), sql.constData(), -1, &s, nullptr);
    int rows = 0;
    while (sqlite3_step(s) == SQLITE_ROW)
        ++rows;
    sqlite3_finalize(s);
    return rows;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Runs a record source the way a grid does: every row read.
int readAll(const QString &source)
{
    db::Database d(MainModule::DBPath);
    db::Recordset rs = d.openRecordset(source);
    int rows = 0;
    for (; !rs.eof(); rs.moveNext())
        ++rows;
    return rows;
}

void plan(const char *what, const QString &legacy)
{
    db::Database d(MainModule::DBPath);
    const QByteArray sql = "EXPLAIN QUERY PLAN " + db::translate(legacy).sql.toUtf8();
    sqlite3_stmt *s = nullptr;
    std::printf("  plan of %s:\n", what);
    if (sqlite3_prepare_v2(d.handle(), sql.constData(), -1, &s, nullptr) != SQLITE_OK) {
        std::printf("    (%s)\n", sqlite3_errmsg(d.handle()));
        return;
    }
    while (sqlite3_step(s) == SQLITE_ROW)
        std::printf("    %s\n", reinterpret_cast<const char *>(sqlite3_column_text(s, 3)));
    sqlite3_finalize(s);
}

template <typename F>
double timedMs(F &&f)
{
    QElapsedTimer t;
    t.start();
    f();
    return double(t.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int years = argc > 1 ? std::atoi(argv[1]) : 10;
    const QString path = argc > 2 ? QString::fromLocal8Bit(argv[2])
                                  : QDir::temp().filePath(QStringLiteral("info_browser-%1y.mdb").arg(years));
    if (!QFileInfo::exists(path)) {
        const double ms = timedMs([&] { fill(path, years); });
        std::printf("built %s in %.1f s\n", qPrintable(path), ms / 1000);
    }
    MainModule::DBPath = path;
    // A file of an older layout is brought up to date when first opened: on this much data, once.
    if (const int version = db::CheckDatabaseFile(path, db::CheckDepth::Layout).userVersion; version < db::SchemaVersion) {
        const double ms = timedMs([&] { db::Database d(path); });
        std::printf("layout version %d brought up to %d in %.1f s\n", version, db::SchemaVersion, ms / 1000);
    }
    const QList<QDate> days = weekdays(years);
    const QStringList kinds = [] {
        QStringList k;
        for (const auto &kind : InfoKinds::shipped())
            k.append(kind.code);
        return k;
    }();
    std::printf("database: %d years x %d issues daily, %d kinds x %d ranking rows\n", years, Issues, int(kinds.size()), RankRows);

    std::vector<double> pickKind, pickKindRaw, pickDate, current;
    int dates = 0, ranks = 0, rising = 0;
    for (int round = 0; round < 5; ++round) {
        for (const QString &k : kinds) {
            pickKindRaw.push_back(timedMs([&] { readRaw(info::DatesSource(k)); }));
            pickKind.push_back(timedMs([&] { dates = readAll(info::DatesSource(k)); }));
        }
    }
    for (int i = 0; i < 60; ++i) {
        const QDate d = days.at(days.size() - 1 - i * 37 % days.size());
        pickDate.push_back(timedMs([&] { ranks = readAll(info::RankingSource(kinds.at(i % 9), d, d)); }));
    }
    for (int i = 0; i < 15; ++i) {
        const QDate picked = days.at(days.size() - 1 - (i * 53) % days.size());
        const QString k = kinds.at(i % 9);
        current.push_back(timedMs([&] {
            const QDate first = info::FirstOfLastDates(MainModule::DBPath, k, picked, 20);
            info::UpdateCurrentPrices(MainModule::DBPath, k, first, picked);
            rising = readAll(info::CurrentPriceSource(k, first, picked, false, QString(), QString()));
        }));
    }
    std::printf("pick a kind (its %d dates):          median %7.2f ms  (aim <= 30); raw SQLite %.2f ms, ratio %.2f\n", dates,
                median(pickKind), median(pickKindRaw), median(pickKind) / median(pickKindRaw));
    std::printf("pick a date (its %d ranking rows):    median %7.2f ms  (aim <= 10)\n", ranks, median(pickDate));
    std::printf("current prices of the last 20 dates: median %7.2f ms  (aim <= 300; %d rows above 0)\n", median(current), rising);
    std::vector<double> search;
    int found = 0;
    for (int i = 0; i < 5; ++i)
        search.push_back(timedMs([&] { found = readAll(info::IssueSearchSource(1000 + i * 97, QString(), info::SearchOrder::ByDate)); }));
    std::printf("rankings of one issue (%d rows):      median %7.2f ms  (aim <= 30, stretch <= 10)\n", found, median(search));
    std::vector<double> searchKind;
    for (int i = 0; i < 5; ++i)
        searchKind.push_back(timedMs([&] { found = readAll(info::IssueSearchSource(1000 + i * 97, kinds.at(i), info::SearchOrder::ByKind)); }));
    std::printf("  of one kind, in kind order (%d rows): median %7.2f ms\n", found, median(searchKind));
    plan("the date list", info::DatesSource(QStringLiteral("d01")));
    plan("a ranking", info::RankingSource(QStringLiteral("d01"), days.last(), days.last()));
    plan("the rankings of one issue", info::IssueSearchSource(1000, QString(), info::SearchOrder::ByDate));

    // A month of rankings from a loopback server into a fresh database, against the fetches alone.
    testing_support::TempProgramFolder folder;
    folder.createDatabase();
    {
        db::Database d(MainModule::DBPath);
        for (const auto &k : InfoKinds::shipped())
            for (const char *table : {"informationClass", "wrkinformationClass"})
                d.execute(QStringLiteral("insert into %1 values (%2, %3, %4)")
                              .arg(QLatin1String(table), db::quoteText(k.code), db::quoteText(k.name))
                              .arg(k.order));
    }
    testing_support::LoopbackServer server;
    MainModule::DURL = server.hostAndPort() + QStringLiteral("/kabu/");
    const QDate monthFirst(2024, 6, 3), monthLast(2024, 7, 1);
    QStringList addresses;
    for (QDate d = monthFirst; d <= monthLast; d = d.addDays(1)) {
        if (d.dayOfWeek() > 5)
            continue;
        for (const QString &k : kinds) {
            if (k.startsWith(QLatin1Char('w')) && d.dayOfWeek() != 5)
                continue;
            QString text = d.toString(QStringLiteral("yyyyMMdd")) + QStringLiteral(",50,") + k + QStringLiteral(",東証\r\n");
            for (int r = 1; r <= RankRows; ++r)
                text += QStringLiteral("%1,%2,%3,%4,%5,%6\r\n").arg(r).arg(1300 + r).arg(500 + r).arg(r * 3).arg(r % 7 - 3).arg(r * 0.5);
            server.serve(QStringLiteral("/kabu/jyhodata/") + d.toString(QStringLiteral("yyyyMMdd")) + QLatin1Char('.') + k,
                         TextFile::encode(text));
            addresses.append(info::RankingAddress(MainModule::DURL, d, k));
        }
    }
    HttpClient http;
    const double fetchOnly = timedMs([&] {
        for (const QString &a : addresses)
            http.fetch(a);
    });
    testing_support::ScriptedPrompt prompt;
    prompt.answerYes();
    NullProgress progress;
    info::DownloadView view{&http, prompt, progress, {}, {}, nullptr};
    info::DownloadRequest request;
    request.firstText = monthFirst.toString(QStringLiteral("yyyy/MM/dd"));
    request.lastText = monthLast.toString(QStringLiteral("yyyy/MM/dd"));
    request.today = monthLast;
    info::DownloadResult result;
    const double download = timedMs([&] { result = info::DownloadInformation(request, view); });
    const qint64 stored = db::Database(MainModule::DBPath).scalar(QStringLiteral("select count(*) from informationData")).toLongLong();
    std::printf("a month of rankings (%d files, %lld rows): %.0f ms  (aim <= 3000); fetching alone %.0f ms, ratio %.2f; %s\n",
                int(addresses.size()), stored, download, fetchOnly, download / fetchOnly, qPrintable(result.message));
    return 0;
}
