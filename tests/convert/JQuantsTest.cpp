// The price service as a source of the converter, against a loopback stand-in that answers as the
// service does: the files written byte for byte, the codes and markets left out, the adjustment
// factors, the faults a user meets (429, 403, 5xx, a body cut short, no network), a stopped and
// resumed run equal to one that went through, and Convt run as the import window and a shell do.

#include "loopback/ServiceFixture.h"
#include "loopback/TestCertificates.h"

#include "base/MainModule.h"
#include "base/Settings.h"
#include "base/TextFile.h"
#include "convert/JQuantsSource.h"
#include "db/Database.h"
#include "net/HttpClient.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QSslCertificate>
#include <QSslKey>
#include <QTimer>

#include <gtest/gtest.h>

#include <csignal>
#if defined(Q_OS_UNIX)
#include <signal.h>
#endif

using namespace testing_support;
namespace jq = convert::jquants;

namespace {

QDate day(int month, int dayOfMonth, int year = 2024)
{
    return QDate(year, month, dayOfMonth);
}

QByteArray cp932Lines(const QStringList &lines)
{
    return TextFile::encode(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
}

class JQuantsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        batchToolPath(); // the event loop the transfers need
        folder.createDatabase();
        out = folder.filePath(QStringLiteral("out"));
        service.pageSize = 2; // every day comes in pages
        // 2024-01-08 is a holiday, and New Year's days: the week of 1-5 January trades two days.
        for (const QDate &d : {day(1, 1), day(1, 2), day(1, 3), day(1, 8)})
            service.setHoliday(d);
        service.list(QStringLiteral("72030"), QStringLiteral("トヨタ自動車"), QStringLiteral("0111"));
        service.list(QStringLiteral("13010"), QStringLiteral("極洋"), QStringLiteral("0112"));
        service.list(QStringLiteral("99990"), QStringLiteral("グロース,株式会社"), QStringLiteral("0113"));
        service.list(QStringLiteral("130A0"), QStringLiteral("英字入り"), QStringLiteral("0113"));
        service.list(QStringLiteral("13050"), QStringLiteral("ＥＴＦ"), QStringLiteral("0109"));
        for (const QDate &d : {day(1, 4), day(1, 5), day(1, 9), day(1, 10), day(1, 11), day(1, 12)}) {
            const bool trading = d != day(1, 10); // a trading day on which nothing traded
            const auto volume = [&](double v) { return trading ? std::optional<double>(v) : std::nullopt; };
            service.bar(d, QStringLiteral("72030"), 2700, 2750.5, 2690, 2701.5, volume(1234500));
            service.bar(d, QStringLiteral("13010"), 4000, 4010, 3990, 4005, volume(12300), d == day(1, 12) ? 0.3333333333 : 1.0);
            service.bar(d, QStringLiteral("99990"), 500, 510, 490, 505, d == day(1, 11) ? std::nullopt : volume(100),
                        d == day(1, 11) ? 0.5 : 1.0);
            service.bar(d, QStringLiteral("130A0"), 100, 100, 100, 100, volume(100));
            service.bar(d, QStringLiteral("13050"), 2000, 2000, 2000, 2000, volume(1000));
            service.bar(d, QStringLiteral("25935"), 900, 900, 900, 900, volume(100));
        }
        for (const QDate &d : {day(12, 29, 2023), day(1, 12)}) {
            service.margin(d, QStringLiteral("72030"), 1200300, 4500600);
            service.margin(d, QStringLiteral("13010"), 4100, 27600);
            service.margin(d, QStringLiteral("13050"), 10, 10);
        }
        issues.add(7203, {QStringLiteral("トヨタ"), 0, 100, 1});
    }

    jq::RunOptions options(const QString &into, jq::Plan plan = jq::Plan::Standard) const
    {
        jq::RunOptions o;
        o.from = day(1, 4);
        o.to = day(1, 12);
        o.today = day(6, 1);
        o.plan = plan;
        o.dailyFolder = QDir(into).filePath(QStringLiteral("daily"));
        o.marginFolder = QDir(into).filePath(QStringLiteral("margin"));
        o.registrationPath = QDir(into).filePath(QStringLiteral("Regist.Mei"));
        o.databasePath = folder.dbPath();
        return o;
    }

    jq::ClientOptions clientOptions(const QByteArray &key = "test-key") const
    {
        jq::ClientOptions c;
        c.baseUrl = service.baseUrl();
        c.apiKey = QString::fromLatin1(key);
        return c;
    }

    // Runs with waits that only record what was asked; stopAfterDays > 0 stops after that many days.
    jq::RunResult run(const jq::RunOptions &o, const jq::ClientOptions &c, int stopAfterDays = 0)
    {
        jq::Client client(http, c, [this](int ms) {
            waits.push_back(ms);
            return true;
        });
        int daysDone = 0;
        return jq::run(
            o, issues, client, [&](const jq::RunProgress &p) { daysDone = p.daysDone; },
            [&] { return stopAfterDays > 0 && daysDone >= stopAfterDays; });
    }

    // Every file under a folder, by its path below it.
    static QMap<QString, QByteArray> filesUnder(const QString &root)
    {
        QMap<QString, QByteArray> files;
        QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            files.insert(QDir(root).relativeFilePath(path), readFileBytes(path));
        }
        return files;
    }

    static QStringList adjustments()
    {
        QStringList rows;
        db::Database database(MainModule::DBPath);
        db::Recordset rs = database.openRecordset(QStringLiteral("select * from adjustment order by 日付, コード ;"));
        for (; !rs.eof(); rs.moveNext())
            rows << QStringLiteral("%1 %2 %3:%4")
                        .arg(rs.toLong(QStringLiteral("コード")))
                        .arg(rs.toDate(QStringLiteral("日付")).toString(Qt::ISODate))
                        .arg(rs.toLong(QStringLiteral("旧株数")))
                        .arg(rs.toLong(QStringLiteral("新株数")));
        return rows;
    }

    TempProgramFolder folder;
    LoopbackServer server;
    ServiceFixture service{server};
    HttpClient http;
    convert::IssueRegister issues;
    QString out;
    std::vector<int> waits;
};

TEST_F(JQuantsTest, WritesTheRegistrationDailyAndMarginFilesAsTheImportsReadThem)
{
    const jq::RunResult r = run(options(out), clientOptions());
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_FALSE(r.stopped);

    // Prime, Standard and Growth become 東証１部, 東証２部 and 店頭; a registered issue keeps its
    // units; the ETF's market and the codes with a letter or of another share class are left out.
    EXPECT_EQ(readFileBytes(QDir(out).filePath(QStringLiteral("Regist.Mei"))),
              cp932Lines({QStringLiteral("20240112,3"), QStringLiteral("1301,2,極洋,1000,1"),
                          QStringLiteral("7203,1,トヨタ自動車,100,1"), QStringLiteral("9999,3,グロース，株式会社,1000,1")}));
    // Names and units from the register first, as for every source; volumes in units.
    EXPECT_EQ(readFileBytes(QDir(out).filePath(QStringLiteral("daily/Ds202401.04"))),
              cp932Lines({QStringLiteral("20240104,3,0"), QStringLiteral("1301,1,極洋,4000,4010,3990,4005,12.3"),
                          QStringLiteral("7203,0,トヨタ,2700,2750,2690,2702,12345"),
                          QStringLiteral("9999,5,グロース，株式会社,500,510,490,505,0.1")}));
    // The issue without trade on the 11th is not in that day's file.
    EXPECT_EQ(TextFile::readLines(QDir(out).filePath(QStringLiteral("daily/Ds202401.11"))).value(0), QStringLiteral("20240111,2,0"));

    QStringList written = QDir(QDir(out).filePath(QStringLiteral("daily"))).entryList(QDir::Files, QDir::Name);
    EXPECT_EQ(written, (QStringList{QStringLiteral("Ds202401.04"), QStringLiteral("Ds202401.05"), QStringLiteral("Ds202401.09"), QStringLiteral("Ds202401.11"), QStringLiteral("Ds202401.12")}));
    EXPECT_EQ(r.daysWritten, 5);
    // The holiday is never asked for; the day without any trade is asked for and reported.
    EXPECT_EQ(service.requestsFor(QStringLiteral("/v2/equities/bars/daily?date=20240108")), 0);
    ASSERT_EQ(r.problems.count(), 1);
    EXPECT_EQ(r.problems.lines()[0].file, QStringLiteral("2024-01-10"));

    // Margins of the weeks the import reads: the week before the first day's, and the holiday week
    // of two trading days has none to ask for. Dated on the Friday, balances in shares.
    EXPECT_EQ(readFileBytes(QDir(out).filePath(QStringLiteral("margin/Ys202312.29"))),
              cp932Lines({QStringLiteral("20231229"), QStringLiteral("2,"), QStringLiteral("1301,0,0,4100,27600,1"),
                          QStringLiteral("7203,0,0,1200300,4500600,1")}));
    EXPECT_TRUE(QFileInfo::exists(QDir(out).filePath(QStringLiteral("margin/Ys202401.12"))));
    // Asked on each week's last trading day, each in two pages.
    EXPECT_EQ(service.requests().filter(QStringLiteral("/v2/markets/margin-interest")).filter(QStringLiteral("pagination_key")).size(), 2);
    EXPECT_EQ(service.requestsFor(QStringLiteral("/v2/markets/margin-interest?date=20231229")), 2);
    EXPECT_EQ(service.requestsFor(QStringLiteral("/v2/markets/margin-interest?date=20240112")), 2);

    EXPECT_EQ(r.skippedCodes, (QStringList{QStringLiteral("130A0"), QStringLiteral("25935")}));
    EXPECT_EQ(r.unstoredCodes, QList<int>{1305});
    // The factors of the range, one on a day without trade, as exact share ratios.
    EXPECT_EQ(adjustments(), (QStringList{QStringLiteral("9999 2024-01-11 1:2"), QStringLiteral("1301 2024-01-12 1:3")}));
    // In pages of two rows: the calendar's 19 days, the listed issues of the last and the first
    // day, 6 days of 6 rows, 2 weeks of 3 rows.
    EXPECT_EQ(r.requests, 10 + 2 * 3 + 6 * 3 + 2 * 2);
    EXPECT_EQ(r.requests, service.requests().size());
}

TEST_F(JQuantsTest, WaitsAsAskedRetriesServerFaultsAndReportsADayThatStaysBroken)
{
    const QString day5 = QStringLiteral("/v2/equities/bars/daily?date=20240105");
    const QString day9 = QStringLiteral("/v2/equities/bars/daily?date=20240109");
    const QString day11 = QStringLiteral("/v2/equities/bars/daily?date=20240111");
    const QString day12 = QStringLiteral("/v2/equities/bars/daily?date=20240112");
    service.answerNext(day5, {500, "{}", {}, -1});
    service.answerNext(day9, {429, R"({"message":"Rate limit exceeded"})", {{"Retry-After", "7"}}, -1});
    service.answerNext(day9, {429, "{}", {}, -1});
    service.cutNext(day11);
    service.answerNext(day11, {200, "<html>maintenance</html>", {}, -1});
    for (int i = 0; i < 4; ++i)
        service.answerNext(day12, {503, "{}", {}, -1});
    jq::ClientOptions c = clientOptions();
    c.retryDelayMs = 2000;
    c.rateLimitWaitMs = 60000;

    const jq::RunResult r = run(options(out), c);
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    // 500 then the answer; 429 waits the 7 s it says, then the minute the service's limit counts.
    EXPECT_EQ(service.requestsFor(day5), 2 + 2); // and the answer's two further pages
    EXPECT_EQ(service.requestsFor(day9), 3 + 2);
    // A body cut short and one that is no JSON are asked again.
    EXPECT_EQ(service.requestsFor(day11), 3 + 2);
    EXPECT_EQ(waits, (std::vector<int>{2000, 7000, 60000, 2000, 2000, 2000, 2000, 2000}));
    for (const QString &name : {QStringLiteral("Ds202401.05"), QStringLiteral("Ds202401.09"), QStringLiteral("Ds202401.11")})
        EXPECT_TRUE(QFileInfo::exists(QDir(out).filePath(QStringLiteral("daily/") + name))) << name.toStdString();
    // Still failing after the retries: the day is reported, nothing of it written, the run goes on.
    EXPECT_EQ(service.requestsFor(day12), 4);
    EXPECT_FALSE(QFileInfo::exists(QDir(out).filePath(QStringLiteral("daily/Ds202401.12"))));
    EXPECT_TRUE(QFileInfo::exists(QDir(out).filePath(QStringLiteral("margin/Ys202401.12"))));
    QStringList reported;
    for (const importer::SkippedLine &p : r.problems.lines())
        reported << p.file + QLatin1Char(' ') + p.reason;
    EXPECT_EQ(reported, (QStringList{QStringLiteral("2024-01-10 取引のある銘柄がありません"), QStringLiteral("2024-01-12 取得できません（HTTP 503）")}));
}

TEST_F(JQuantsTest, AWrongKeyOrNoConnectionEndsTheRunWithOneMessageAndNothingWritten)
{
    const jq::RunResult badKey = run(options(out), clientOptions("expired"));
    EXPECT_FALSE(badKey.ok);
    EXPECT_EQ(badKey.error, QStringLiteral("APIキーが正しくないか、期限が切れています。"));
    EXPECT_EQ(service.requests().size(), 1);
    EXPECT_TRUE(filesUnder(out).isEmpty());

    jq::ClientOptions closed = clientOptions();
    closed.baseUrl = QStringLiteral("http://127.0.0.1:9/v2"); // nothing listens there
    const jq::RunResult offline = run(options(out), closed);
    EXPECT_FALSE(offline.ok);
    EXPECT_TRUE(offline.error.startsWith(QStringLiteral("J-Quants に接続できません（"))) << offline.error.toStdString();
    EXPECT_EQ(offline.requests, 4); // the first try and three more
    EXPECT_TRUE(filesUnder(out).isEmpty());

    // The key would cross the network readable: http only to this computer.
    closed.baseUrl = QStringLiteral("http://api.example.jp/v2");
    EXPECT_FALSE(run(options(out), closed).error.isEmpty());
    EXPECT_EQ(jq::baseUrlProblem(QStringLiteral("https://api.jquants.com/v2")), QString());
    EXPECT_EQ(jq::baseUrlProblem(QStringLiteral("http://localhost:8080/v2")), QString());
}

// Over TLS the service's certificate must be vouched for: by an authority the client trusts the
// run goes through; by none the run ends at the first request, which is not repeated.
TEST_F(JQuantsTest, TheServiceIsReachedOverTlsOnlyWithACertificateTheClientTrusts)
{
    if (!HttpClient::tlsAvailable())
        GTEST_SKIP() << "no TLS backend";
    LoopbackServer tlsServer;
    tlsServer.useTls(QSslCertificate(QByteArray(ServerCertificate)), QSslKey(QByteArray(ServerKey), QSsl::Ec));
    ServiceFixture tlsService(tlsServer);
    tlsService.list(QStringLiteral("72030"), QStringLiteral("トヨタ自動車"), QStringLiteral("0111"));
    tlsService.bar(day(1, 4), QStringLiteral("72030"), 2700, 2750, 2690, 2700, 1000);
    jq::ClientOptions c = clientOptions();
    c.baseUrl = tlsService.baseUrl();
    ASSERT_TRUE(c.baseUrl.startsWith(QLatin1String("https://")));

    HttpClient trusting;
    trusting.trustAuthorities({QSslCertificate(QByteArray(TestAuthority))});
    jq::Client client(trusting, c, [](int) { return true; });
    const jq::RunResult trusted = jq::run(options(out), issues, client, {}, {});
    ASSERT_TRUE(trusted.ok) << trusted.error.toStdString();
    EXPECT_EQ(trusted.daysWritten, 1);
    EXPECT_TRUE(QFileInfo::exists(QDir(out).filePath(QStringLiteral("daily/Ds202401.04"))));

    // The system's authorities alone: refused, and nothing sent.
    const QString other = folder.filePath(QStringLiteral("other"));
    const int sent = tlsService.requests().size();
    const jq::RunResult refused = run(options(other), c);
    EXPECT_FALSE(refused.ok);
    EXPECT_TRUE(refused.error.startsWith(QStringLiteral("J-Quants のサーバー証明書を確認できないため中止しました")))
        << refused.error.toStdString();
    EXPECT_EQ(refused.requests, 1);
    EXPECT_EQ(tlsService.requests().size(), sent);
    EXPECT_TRUE(filesUnder(other).isEmpty());
}

TEST_F(JQuantsTest, AStoppedRunResumesToTheFilesOfARunThatWentThrough)
{
    const QString whole = folder.filePath(QStringLiteral("whole"));
    ASSERT_TRUE(run(options(whole), clientOptions()).ok);
    const QStringList factors = adjustments();
    executeSql(QStringLiteral("delete * from adjustment ;"));

    const jq::RunResult first = run(options(out), clientOptions(), 2);
    ASSERT_TRUE(first.ok);
    EXPECT_TRUE(first.stopped);
    EXPECT_EQ(first.daysWritten, 2);
    const int before = service.requests().size();
    const jq::RunResult second = run(options(out), clientOptions());
    ASSERT_TRUE(second.ok);
    EXPECT_EQ(second.daysPresent, 2);
    // The days written before are not asked for again.
    EXPECT_EQ(service.requests().mid(before).filter(QStringLiteral("date=20240104")).size(), 0);

    EXPECT_EQ(filesUnder(out), filesUnder(whole));
    EXPECT_EQ(adjustments(), factors);
    EXPECT_EQ(first.daysWritten + second.daysWritten, 5);
}

TEST_F(JQuantsTest, ThePlanSetsThePaceAndWhatIsAskedFor)
{
    // Free: 5 requests a minute, no margins, and the last 12 weeks are not there to ask for.
    jq::ClientOptions c = clientOptions();
    c.paceMs = jq::paceOf(jq::Plan::Free);
    jq::RunOptions o = options(out, jq::Plan::Free);
    o.today = day(3, 29); // 12 weeks later is the 5th
    const jq::RunResult r = run(o, c);
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(service.requestsFor(QStringLiteral("/v2/markets/margin-interest")), 0);
    EXPECT_EQ(service.requestsFor(QStringLiteral("/v2/equities/bars/daily")), 2 * 3);
    EXPECT_EQ(QDir(QDir(out).filePath(QStringLiteral("daily"))).entryList(QDir::Files).size(), 2);
    ASSERT_EQ(waits.size(), size_t(r.requests - 1));
    for (int w : waits)
        EXPECT_TRUE(w > 12000 && w <= 12600) << w;

    EXPECT_EQ(jq::requestsPerMinute(jq::Plan::Premium), 500);
    EXPECT_EQ(jq::planNamed(QStringLiteral("standard")), jq::Plan::Standard);
    EXPECT_FALSE(jq::planNamed(QStringLiteral("Gold")));
}

TEST_F(JQuantsTest, FactorsCodesAndRatios)
{
    struct Case
    {
        double factor;
        int before, after;
    };
    for (const Case &c : {Case{0.5, 1, 2}, {0.3333333333, 1, 3}, {0.333333, 1, 3}, {0.2, 1, 5}, {0.1, 1, 10}, {0.666667, 2, 3}, {0.909091, 10, 11}, {10, 10, 1}, {1.5, 3, 2}}) {
        const auto ratio = jq::shareRatioOf(c.factor);
        ASSERT_TRUE(ratio) << c.factor;
        EXPECT_EQ(ratio->before, c.before) << c.factor;
        EXPECT_EQ(ratio->after, c.after) << c.factor;
    }
    // No ratio of whole numbers up to 100 is this close: refused, not stored rounded.
    EXPECT_FALSE(jq::shareRatioOf(0.7071));
    EXPECT_FALSE(jq::shareRatioOf(1000));
    EXPECT_FALSE(jq::shareRatioOf(0));
    for (const auto &[text, code] : {std::pair{"72030", 7203}, {"7203", 7203}, {"130A0", 0}, {"25935", 0}, {"7203A", 0}})
        EXPECT_EQ(jq::issueCodeOf(QString::fromLatin1(text)), code) << text;
}

TEST_F(JQuantsTest, FactorsGoIntoADatabaseOfTheLayoutBefore)
{
    executeSql(QStringLiteral("delete * from adjustment ;"));
    {
        db::Database database(folder.dbPath());
        database.executeRaw(QStringLiteral("DROP TABLE adjustment; PRAGMA user_version=2"));
        database.close();
    }
    db::Database::closeAll();
    ASSERT_TRUE(run(options(out), clientOptions()).ok);
    EXPECT_EQ(adjustments().size(), 2);
}

// Convt as a shell runs it: the key from the environment, the service's address and plan from the
// settings, Ctrl+C stopping after the day in progress; the key appears in no output and no file.
TEST_F(JQuantsTest, ConvtFetchesFromTheServiceAndStopsOnCtrlC)
{
    const QString convt = QFileInfo(batchToolPath()).dir().filePath(QStringLiteral("Convt"));
    if (!QFileInfo(convt).isExecutable())
        GTEST_SKIP() << "Convt is not built";
    service.pageSize = 1000;
    ASSERT_TRUE(Settings::WriteSettings(Settings::defaultValues(), true)); // no margin folder
    ASSERT_TRUE(Settings::writeSettingsValue(QStringLiteral("JQuantsPlan"), QStringLiteral("Premium")));
    ASSERT_TRUE(Settings::writeSettingsValue(QStringLiteral("JQuantsURL"), service.baseUrl()));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("JQUANTS_API_KEY"), QString::fromLatin1(service.key()));

    QProcess p;
    p.setProcessEnvironment(environment);
    QEventLoop loop;
    QObject::connect(&p, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    p.start(convt, {QStringLiteral("--folder"), folder.path(), QStringLiteral("--from"), QStringLiteral("2024-01-04"), QStringLiteral("--to"), QStringLiteral("2024-01-12")});
    loop.exec(); // the loopback service answers while Convt runs
    ASSERT_EQ(p.state(), QProcess::NotRunning);
    const QByteArray output = p.readAllStandardError() + p.readAllStandardOutput();
    EXPECT_EQ(p.exitCode(), 0) << output.toStdString();
    EXPECT_EQ(QDir(folder.filePath(QStringLiteral("Data"))).entryList({QStringLiteral("Ds*")}, QDir::Files).size(), 5);
    EXPECT_TRUE(QFileInfo::exists(folder.filePath(QStringLiteral("Data/Regist.Mei"))));
    EXPECT_FALSE(output.contains(service.key()));
    for (const QByteArray &bytes : filesUnder(folder.path()))
        EXPECT_FALSE(bytes.contains(service.key()));

#if defined(Q_OS_UNIX)
    // Light: about a second between requests. Ctrl+C once the first day is written.
    ASSERT_TRUE(Settings::writeSettingsValue(QStringLiteral("JQuantsPlan"), QStringLiteral("Light")));
    QDir(folder.filePath(QStringLiteral("Data"))).removeRecursively();
    bool interrupted = false;
    QObject::connect(&p, &QProcess::readyReadStandardError, &p, [&p, &interrupted] {
        if (!interrupted && p.readAllStandardError().contains("株価 1/")) {
            interrupted = true;
            ::kill(pid_t(p.processId()), SIGINT);
        }
    });
    p.start(convt, {QStringLiteral("--folder"), folder.path(), QStringLiteral("--from"), QStringLiteral("2024-01-04"), QStringLiteral("--to"), QStringLiteral("2024-01-12")});
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    loop.exec();
    ASSERT_EQ(p.state(), QProcess::NotRunning);
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 130);
    // The day in progress when the signal came is finished; the days after it are not fetched.
    const QStringList kept = QDir(folder.filePath(QStringLiteral("Data"))).entryList({QStringLiteral("Ds*")}, QDir::Files, QDir::Name);
    EXPECT_TRUE(kept == QStringList{QStringLiteral("Ds202401.04")}
                || kept == (QStringList{QStringLiteral("Ds202401.04"), QStringLiteral("Ds202401.05")}))
        << kept.join(QLatin1Char(' ')).toStdString();
#endif
}

} // namespace
