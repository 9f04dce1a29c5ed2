// The first start from an empty program folder to rows a chart can show, for every price source.

#include "app/FirstStart.h"
#include "app/Startup.h"
#include "base/IniFile.h"
#include "base/MainModule.h"
#include "base/Settings.h"
#include "base/TextFile.h"
#include "db/Database.h"
#include "loopback/LoopbackServer.h"
#include "loopback/ServiceFixture.h"
#include "net/HttpClient.h"
#include "support/TestSupport.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

TEST(FirstStartRange, LastThreeMonthsOfWeekdaysUpToToday)
{
    // A Sunday proposes up to Friday; three months before a Monday that falls on a Sunday moves on.
    const FirstStart::Range sunday = FirstStart::proposedRange(QDate(2026, 12, 6));
    EXPECT_EQ(sunday.last, QDate(2026, 12, 4));
    EXPECT_EQ(sunday.first, QDate(2026, 9, 4));
    const FirstStart::Range monday = FirstStart::proposedRange(QDate(2024, 6, 10));
    EXPECT_EQ(monday.last, QDate(2024, 6, 10));
    EXPECT_EQ(monday.first, QDate(2024, 3, 11));

    for (QDate today(2024, 1, 1); today < QDate(2025, 1, 1); today = today.addDays(1)) {
        const FirstStart::Range r = FirstStart::proposedRange(today);
        ASSERT_LE(r.first.dayOfWeek(), 5) << today.toString(Qt::ISODate).toStdString();
        ASSERT_LE(r.last.dayOfWeek(), 5) << today.toString(Qt::ISODate).toStdString();
        ASSERT_TRUE(r.last <= today && r.last >= today.addDays(-2));
        ASSERT_TRUE(r.first >= r.last.addMonths(-3) && r.first <= r.last.addMonths(-3).addDays(2));
    }
}

class CountingHttp final : public Http
{
public:
    HttpResult fetch(const HttpRequest &) override
    {
        ++calls;
        return {};
    }
    void fetchAsync(const HttpRequest &, std::function<void(const HttpResult &)>) override { ++calls; }
    void cancel() override { }
    using Http::fetch;
    int calls = 0;
};

class FirstStartTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        batchToolPath(); // the event loop HTTP needs
        MainModule::reset();
        ASSERT_TRUE(Startup::prepareProgramFolder(folder.path(), prompt).ok);
    }
    void TearDown() override { MainModule::reset(); }

    qint64 rows(const QString &table)
    {
        db::Database database(MainModule::DBPath);
        return database.scalar(QStringLiteral("select count(*) from ") + table).toLongLong();
    }

    TempProgramFolder folder;
    ScriptedPrompt prompt;
    NullProgress progress;
    HttpClient http;
};

TEST_F(FirstStartTest, TheExampleServerAddressIsNeverContactedAndAnUnsetOneLeadsToTheOptions)
{
    EXPECT_EQ(MainModule::DURL, Settings::defaultServerAddress()) << "a new settings file holds the example address";
    CountingHttp counting;
    for (const QString &address : {MainModule::DURL, QString(), QStringLiteral("  ")}) {
        const FirstStart::Outcome o = FirstStart::checkDataServer(counting, address);
        EXPECT_FALSE(o.ok);
        EXPECT_TRUE(o.openOptions);
        EXPECT_TRUE(o.message.startsWith(QStringLiteral("データーサーバーのアドレス（DURL）が設定されていません。")));
    }
    const FirstStart::Outcome whole = FirstStart::fromDataServer(FirstStart::proposedRange(QDate(2024, 6, 10)), counting, progress, prompt);
    EXPECT_FALSE(whole.ok);
    EXPECT_EQ(counting.calls, 0);
    EXPECT_EQ(rows(QStringLiteral("Mei")), 0);
}

TEST_F(FirstStartTest, AServerThatDoesNotAnswerOrAnswersSomethingElseIsTold)
{
    LoopbackServer server;
    const QString address = server.hostAndPort() + QStringLiteral("/kabu/");
    FirstStart::Outcome o = FirstStart::checkDataServer(http, address);
    EXPECT_FALSE(o.ok);
    EXPECT_TRUE(o.openOptions);
    EXPECT_TRUE(o.message.startsWith(QStringLiteral("データーサーバー %1 が応答しません。").arg(address))) << o.message.toStdString();

    server.serve(QStringLiteral("/kabu/kabumei/Regist.mei"), "<html>welcome</html>");
    o = FirstStart::checkDataServer(http, address);
    EXPECT_FALSE(o.ok);
    EXPECT_TRUE(o.message.contains(QStringLiteral("正しくありません"))) << o.message.toStdString();

    server.serve(QStringLiteral("/kabu/kabumei/Regist.mei"), TextFile::encode(QStringLiteral("20000714,1\r\n1301,1,極洋")));
    EXPECT_TRUE(FirstStart::checkDataServer(http, address).ok);
}

TEST_F(FirstStartTest, DataServerGivesRegistrationPricesAndWeeklyRows)
{
    LoopbackServer server;
    MainModule::DURL = server.hostAndPort() + QStringLiteral("/kabu/");
    server.serve(QStringLiteral("/kabu/kabumei/Regist.mei"), TextFile::encode(QStringLiteral("20000714,2\r\n1301,1,極洋\r\n1332,1,ﾆｯｽｲ")));
    server.serve(QStringLiteral("/kabu/kabudata/Ds200007.13"),
                 TextFile::encode(QStringLiteral("20000713,2,0\r\n1301,0,極洋,100,110,90,105,12\r\n1332,0,ﾆｯｽｲ,50,52,49,51,1000\r\n")));
    server.serve(QStringLiteral("/kabu/kabudata/Ds200007.14"),
                 TextFile::encode(QStringLiteral("20000714,2,0\r\n1301,0,極洋,105,112,100,110,20\r\n1332,0,ﾆｯｽｲ,51,53,50,52,900\r\n")));
    const FirstStart::Outcome o = FirstStart::fromDataServer({QDate(2000, 7, 10), QDate(2000, 7, 14)}, http, progress, prompt);
    ASSERT_TRUE(o.ok) << o.message.toStdString();
    EXPECT_EQ(o.firstCode, QStringLiteral("1301"));
    EXPECT_EQ(rows(QStringLiteral("Mei")), 2);
    EXPECT_EQ(rows(QStringLiteral("dayData")), 4);
    EXPECT_EQ(rows(QStringLiteral("weekData")), 2) << "the week's Friday rows";
    EXPECT_EQ(server.requestCount(QStringLiteral("/kabu/kabudata/Ds200007.15")), 0) << "never a Saturday";

    // A range the server has no prices for says so.
    const FirstStart::Outcome empty = FirstStart::fromDataServer({QDate(2000, 8, 7), QDate(2000, 8, 8)}, http, progress, prompt);
    EXPECT_FALSE(empty.ok);
    EXPECT_TRUE(empty.message.contains(QStringLiteral("株価ファイルがありません"))) << empty.message.toStdString();
}

TEST_F(FirstStartTest, CsvFolderIsTheConvertersSourceAndIsImported)
{
    const QString csv = folder.filePath(QStringLiteral("csv"));
    ASSERT_TRUE(QDir().mkpath(csv));
    writeFileBytes(QDir(csv).filePath(QStringLiteral("7203.csv")), "Date,Open,High,Low,Close,Volume\n"
                                                                   "2024-01-04,2500,2520,2490,2510,120000\n"
                                                                   "2024-01-05,2510,2530,2500,2525,130000\n");
    const FirstStart::Outcome o = FirstStart::fromCsvFolder(csv, {QDate(2024, 1, 1), QDate(2024, 1, 5)}, http, progress, prompt);
    ASSERT_TRUE(o.ok) << o.message.toStdString();
    EXPECT_EQ(o.firstCode, QStringLiteral("7203"));
    EXPECT_EQ(rows(QStringLiteral("dayData")), 2);
    EXPECT_EQ(rows(QStringLiteral("weekData")), 1);
    cINI ini;
    ini.cstrPath = MainModule::IniPath;
    ini.cstrSection = QStringLiteral("Convt");
    ini.cstrkey = QStringLiteral("Source");
    EXPECT_EQ(ini.GetLineINI(), QDir::toNativeSeparators(csv));

    const FirstStart::Outcome none = FirstStart::fromCsvFolder(csv + QStringLiteral("/none"), {QDate(2024, 1, 1), QDate(2024, 1, 5)}, http, progress, prompt);
    EXPECT_FALSE(none.ok);
    EXPECT_EQ(none.message, QStringLiteral("フォルダ %1 がありません。").arg(QDir::toNativeSeparators(csv + QStringLiteral("/none"))));
}

TEST_F(FirstStartTest, ExchangeServiceIsFetchedImportedAndEndsOnAnIssue)
{
    LoopbackServer server;
    ServiceFixture service(server);
    service.list(QStringLiteral("72030"), QStringLiteral("トヨタ自動車"), QStringLiteral("0111"));
    service.list(QStringLiteral("13010"), QStringLiteral("極洋"), QStringLiteral("0112"));
    for (int day = 10; day <= 14; ++day) {
        service.bar(QDate(2024, 6, day), QStringLiteral("72030"), 2700, 2750, 2690, 2701, 1234500);
        service.bar(QDate(2024, 6, day), QStringLiteral("13010"), 4000, 4010, 3990, 4005, 12300);
    }
    MainModule::JQuantsKey = QString::fromLatin1(service.key());
    MainModule::JQuantsURL = service.baseUrl();
    MainModule::JQuantsPlan = QStringLiteral("Premium"); // the fastest pace keeps the test short
    const QDate today(2024, 6, 15); // a Saturday: the range ends on Friday the 14th
    const FirstStart::Outcome o = FirstStart::fromExchangeService(today, http, progress, prompt, [] { return false; });
    ASSERT_TRUE(o.ok) << o.message.toStdString();
    EXPECT_EQ(o.firstCode, QStringLiteral("1301"));
    EXPECT_EQ(rows(QStringLiteral("Mei")), 2);
    EXPECT_EQ(rows(QStringLiteral("dayData")), 10);
    EXPECT_EQ(rows(QStringLiteral("weekData")), 2);
    EXPECT_EQ(service.requestsFor(QStringLiteral("/v2/equities/bars/daily?date=20240615")), 0) << "never a Saturday";

    // On the Free plan the three months end 12 weeks back; a stop keeps what is there and says so.
    MainModule::JQuantsPlan = QStringLiteral("Free");
    const FirstStart::Outcome stopped = FirstStart::fromExchangeService(today, http, progress, prompt, [] { return true; });
    EXPECT_FALSE(stopped.ok);
    EXPECT_TRUE(stopped.message.startsWith(QStringLiteral("途中で止めました。"))) << stopped.message.toStdString();
    const FirstStart::Range free = FirstStart::exchangeServiceRange(today, MainModule::JQuantsPlan);
    EXPECT_EQ(free.last, QDate(2024, 3, 22)) << "the Free plan's newest day is 12 weeks back";
    EXPECT_EQ(free.first, QDate(2023, 12, 22));
    EXPECT_EQ(rows(QStringLiteral("dayData")), 10);

    MainModule::JQuantsKey.clear();
    qunsetenv("JQUANTS_API_KEY");
    EXPECT_EQ(FirstStart::fromExchangeService(today, http, progress, prompt, [] { return false; }).message,
              QStringLiteral("取引所データーサービスのAPIキーを入力して下さい。"));
}

TEST_F(FirstStartTest, DemoDataFillTheProposedRange)
{
    const FirstStart::Range range = FirstStart::proposedRange(QDate(2024, 6, 10));
    const FirstStart::Outcome o = FirstStart::fromDemo(range, progress, prompt);
    ASSERT_TRUE(o.ok) << o.message.toStdString();
    EXPECT_FALSE(o.firstCode.isEmpty());
    EXPECT_GT(rows(QStringLiteral("Mei")), 250);
    EXPECT_GT(rows(QStringLiteral("dayData")), 250 * 55);
    EXPECT_GT(rows(QStringLiteral("weekData")), 250 * 11);
    db::Database database(MainModule::DBPath);
    EXPECT_EQ(database.scalar(QStringLiteral("select max(日付) from dayData")).toDate(), range.last);
}

} // namespace
