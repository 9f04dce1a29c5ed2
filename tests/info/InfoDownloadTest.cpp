#include "InfoTestSupport.h"

#include "db/Database.h"
#include "import/InputProblems.h"
#include "info/InfoServer.h"
#include "info/PriceDownload.h"

#include <QDir>
#include <QFile>
#include <QTimer>

#include <functional>

using namespace info_test;

namespace {

const QString kFinished = QStringLiteral("ダウンロード終了しました。");
const QString kNothing = QStringLiteral("取得するファイルが見つかりません。");

using KindsDownload = ServerFixture;

QString kindName(const QString &where)
{
    return scalarOf(QStringLiteral("select 種類名 from informationClass where ") + where).toString();
}

TEST_F(KindsDownload, StoresTheListThenUpdatesItOnlyWhenTheCountMatches)
{
    // DURL without a trailing "/" gets one.
    server.serve(QStringLiteral("/kabu/kabumei/infodata"),
                 InfoKinds::kindsFileBytes(InfoKinds::shipped(), InfoKinds::listDate()));
    prompt.answerYes();
    EXPECT_EQ(download(1), info::DownloadEnd::Finished);
    EXPECT_EQ(prompt.questions(), QStringList{QStringLiteral("種類データーを取得します　よろしいですか？")});
    EXPECT_EQ(outcome.message, kFinished);
    EXPECT_EQ(scalarOf(QStringLiteral("select count(*) from informationClass")).toInt(), 12);
    EXPECT_EQ(kindName(QStringLiteral("表示順=10")), QStringLiteral("週間値上がり率上位"));

    // A quote in a code or name is stored as it is; a renamed kind is updated, not doubled.
    server.serve(QStringLiteral("/kabu/kabumei/infodata"),
                 InfoKinds::kindsFileBytes({kind(QStringLiteral("d01"), QStringLiteral("値上がり率"), 1),
                                            kind(QStringLiteral("d'x"), QStringLiteral("O'Neil型"), 20)},
                                           QDate(2000, 7, 14)));
    prompt.answerYes();
    EXPECT_EQ(download(1), info::DownloadEnd::Finished);
    EXPECT_EQ(prompt.questions().last(), QStringLiteral("種類データーはすでに読込みされています　再読込みを行いますか？"));
    EXPECT_EQ(scalarOf(QStringLiteral("select count(*) from informationClass")).toInt(), 13);
    EXPECT_EQ(kindName(QStringLiteral("種類コード='d''x'")), QStringLiteral("O'Neil型"));
    EXPECT_EQ(kindName(QStringLiteral("種類コード='d01'")), QStringLiteral("値上がり率"));

    // A file announcing more kinds than it lists leaves informationClass as it was.
    QByteArray shortList = TextFile::encode(QStringLiteral("20000714,3\r\nd01,別名,1\r\nd02,別名,2\r\n"));
    server.serve(QStringLiteral("/kabu/kabumei/infodata"), shortList);
    prompt.answerYes();
    EXPECT_EQ(download(1), info::DownloadEnd::Finished);
    EXPECT_EQ(outcome.message, kNothing);
    EXPECT_EQ(kindName(QStringLiteral("種類コード='d01'")), QStringLiteral("値上がり率"));
    EXPECT_EQ(scalarOf(QStringLiteral("select count(*) from wrkinformationClass")).toInt(), 2);
}

TEST_F(KindsDownload, AnswersThatAreNotAKindsFileStoreNothing)
{
    MainModule::DURL = server.hostAndPort() + QStringLiteral("/kabu/");
    for (const QByteArray &body : {QByteArray("<html><body>Service Unavailable</body></html>"), QByteArray()}) {
        server.serve(QStringLiteral("/kabu/kabumei/infodata"), body, body.isEmpty() ? 500 : 200);
        prompt.answerYes();
        EXPECT_EQ(download(1), info::DownloadEnd::Finished);
        EXPECT_EQ(outcome.message, kNothing);
    }
    EXPECT_EQ(server.requestCount(QStringLiteral("/kabu/kabumei/infodata")), 2); // no "//"
    EXPECT_EQ(scalarOf(QStringLiteral("select count(*) from informationClass")).toInt(), 0);
    // Saying No fetches nothing.
    prompt.answerNo();
    EXPECT_EQ(download(1), info::DownloadEnd::NotStarted);
    EXPECT_EQ(server.totalRequests(), 2);
}

TEST_F(KindsDownload, ShippedFileAtFirstStart)
{
    // Without the shipped file nothing is stored.
    outcome = info::LoadShippedKinds(prompt);
    EXPECT_FALSE(outcome.stored);
    EXPECT_EQ(outcome.message, kNothing);

    writeFileBytes(folder->filePath(QStringLiteral("infodata")),
                   InfoKinds::kindsFileBytes(InfoKinds::shipped(), InfoKinds::listDate()));
    EXPECT_TRUE(info::LoadShippedKinds(prompt).stored);
    EXPECT_EQ(scalarOf(QStringLiteral("select count(*) from informationClass")).toInt(), 12);
    EXPECT_FALSE(QFile::exists(folder->filePath(QStringLiteral("Data/infodata"))));
    EXPECT_TRUE(QFile::exists(folder->filePath(QStringLiteral("infodata"))));
    // Once kinds exist the shipped file is not read again.
    executeSql(QStringLiteral("update informationClass set 種類名='変更' where 種類コード='d01'"));
    EXPECT_FALSE(info::LoadShippedKinds(prompt).stored);
    EXPECT_EQ(kindName(QStringLiteral("種類コード='d01'")), QStringLiteral("変更"));
    EXPECT_EQ(server.totalRequests(), 0);
}

TEST_F(KindsDownload, RankingsOnADatabaseWithoutKindsFetchTheKindsFirst)
{
    const QString kindsPath = QStringLiteral("/kabu/kabumei/infodata");
    server.serve(kindsPath, InfoKinds::kindsFileBytes({kind(QStringLiteral("d01"), QStringLiteral("値上がり率上位"), 1), kind(QStringLiteral("w01"), QStringLiteral("週間値上がり率上位"), 2)}, QDate(2000, 7, 14)));
    const QDate friday(2000, 7, 14);
    for (const QString &k : {QStringLiteral("d01"), QStringLiteral("w01")})
        server.serve(path(friday, k), rankingFile(friday, k, QStringLiteral("注目"), {QStringLiteral("1,1301,500,12,3,4.5")}));
    prompt.answerYes();
    EXPECT_EQ(download(0, QStringLiteral("00/07/14"), QStringLiteral("00/07/14")), info::DownloadEnd::Finished);
    EXPECT_EQ(prompt.questions(), QStringList{QStringLiteral("データーを取得します　よろしいですか？")});
    EXPECT_EQ(outcome.message, kFinished);
    EXPECT_EQ(scalarOf(QStringLiteral("select count(*) from informationClass")).toInt(), 2);
    EXPECT_EQ(count(QStringLiteral("日付=#2000/07/14#")), 2);

    // Kinds already there are not fetched again.
    prompt.answerYes();
    EXPECT_EQ(download(0, QStringLiteral("00/07/14"), QStringLiteral("00/07/14")), info::DownloadEnd::Finished);
    EXPECT_EQ(server.requestCount(kindsPath), 1);

    // The outcome tells of the rankings: kinds fetched for a Saturday alone found no ranking.
    executeSql(QStringLiteral("delete from informationClass"));
    executeSql(QStringLiteral("delete from wrkinformationClass"));
    prompt.answerYes();
    EXPECT_EQ(download(0, QStringLiteral("00/07/15"), QStringLiteral("00/07/15")), info::DownloadEnd::Finished);
    EXPECT_EQ(outcome.message, kNothing);
    EXPECT_EQ(server.requestCount(kindsPath), 2);
    EXPECT_EQ(scalarOf(QStringLiteral("select count(*) from informationClass")).toInt(), 2);
}

class RankingsDownload : public ServerFixture
{
protected:
    void SetUp() override
    {
        ServerFixture::SetUp();
        storeKinds({kind(QStringLiteral("d01"), QStringLiteral("値上がり率上位"), 1),
                    kind(QStringLiteral("d02"), QStringLiteral("値下がり率上位"), 2),
                    kind(QStringLiteral("w01"), QStringLiteral("週間値上がり率上位"), 3)});
    }
    void serveDay(const QDate &day, const QString &kindCode, int rows = 2)
    {
        QStringList lines;
        for (int i = 1; i <= rows; ++i)
            lines << QStringLiteral("%1,%2,500,12,3,4.5").arg(i).arg(1300 + i);
        server.serve(path(day, kindCode), rankingFile(day, kindCode, QStringLiteral("注目"), lines));
    }
    const QDate monday{2000, 7, 10};
    const QDate friday{2000, 7, 14};
};

TEST_F(RankingsDownload, DailyKindsOnWeekdaysAndWeeklyKindsOnFridays)
{
    for (int i = 0; i < 5; ++i)
        for (const char *k : {"d01", "d02"})
            serveDay(monday.addDays(i), QLatin1String(k));
    serveDay(friday, QStringLiteral("w01"));
    // A record with every conversion: volume in thousands, "-" as price, value text kept.
    server.serve(path(monday, QStringLiteral("d01")),
                 rankingFile(monday, QStringLiteral("d01"), QStringLiteral("it's"),
                             {QStringLiteral("3,1301,120,45,-2,5.2"), QStringLiteral("4,1332,-,1.5,x,+12.0%,extra")}));
    prompt.answerYes();
    EXPECT_EQ(download(0, QStringLiteral("00/07/10"), QStringLiteral("00/07/16")), info::DownloadEnd::Finished);
    EXPECT_EQ(prompt.questions(), QStringList{QStringLiteral("データーを取得します　よろしいですか？")});
    EXPECT_EQ(outcome.message, kFinished);
    EXPECT_EQ(server.totalRequests(), 11); // 5 days × 2 daily kinds + the Friday of the weekly kind
    EXPECT_EQ(server.requestCount(path(QDate(2000, 7, 15), QStringLiteral("d01"))), 0);
    EXPECT_EQ(server.requestCount(path(QDate(2000, 7, 13), QStringLiteral("w01"))), 0);
    // Committed: another connection of the file sees the rows.
    db::Database::closeAll();
    EXPECT_EQ(count(QStringLiteral("Top種類コード='w'")), 2);
    EXPECT_EQ(count(QStringLiteral("1=1")), 22);

    db::Database database(MainModule::DBPath);
    db::Recordset rs = database.openRecordset(
        QStringLiteral("select * from informationData where 種類コード='d01' and 日付=#2000/07/10# order by 順位"));
    ASSERT_FALSE(rs.eof());
    EXPECT_EQ(rs.toLong(QStringLiteral("コード")), 1301);
    EXPECT_EQ(rs.toLong(QStringLiteral("株価")), 120);
    EXPECT_EQ(rs.toCurrency(QStringLiteral("出来高")), Currency::fromInt(45000));
    EXPECT_EQ(rs.toLong(QStringLiteral("前日比")), -2);
    EXPECT_EQ(rs.toText(QStringLiteral("値")), QStringLiteral("5.2"));
    EXPECT_EQ(rs.toText(QStringLiteral("コメント")), QStringLiteral("it's"));
    EXPECT_EQ(rs.toText(QStringLiteral("Top種類コード")), QStringLiteral("d"));
    rs.moveNext();
    EXPECT_EQ(rs.toLong(QStringLiteral("株価")), 0);
    EXPECT_EQ(rs.toCurrency(QStringLiteral("出来高")), Currency::fromInt(1500));
    EXPECT_EQ(rs.toLong(QStringLiteral("前日比")), 0);
    EXPECT_EQ(rs.toText(QStringLiteral("値")), QStringLiteral("+12.0%"));
}

TEST_F(RankingsDownload, AnEmptyAnswerEndsItsPassOnly)
{
    serveDay(monday, QStringLiteral("d01"));
    serveDay(monday, QStringLiteral("d02"));
    // Tuesday: the first kind fails (error status); the rest of the daily pass is abandoned.
    server.serve(path(monday.addDays(1), QStringLiteral("d01")), "Internal Server Error", 500);
    serveDay(monday.addDays(1), QStringLiteral("d02"));
    serveDay(monday.addDays(2), QStringLiteral("d01"));
    // The weekly pass still runs.
    serveDay(friday, QStringLiteral("w01"), 1);
    prompt.answerYes();
    EXPECT_EQ(download(0, QStringLiteral("00/07/10"), QStringLiteral("00/07/14")), info::DownloadEnd::Finished);
    EXPECT_EQ(outcome.message, kFinished);
    EXPECT_EQ(server.requestCount(path(monday.addDays(1), QStringLiteral("d02"))), 0);
    EXPECT_EQ(server.requestCount(path(monday.addDays(2), QStringLiteral("d01"))), 0);
    EXPECT_EQ(server.requestCount(path(friday, QStringLiteral("w01"))), 1);
    EXPECT_EQ(count(QStringLiteral("1=1")), 5);

    // A Saturday alone fetches nothing in either pass.
    prompt.answerYes();
    EXPECT_EQ(download(0, QStringLiteral("00/07/15"), QStringLiteral("00/07/15")), info::DownloadEnd::Finished);
    EXPECT_EQ(outcome.message, kNothing);
}

TEST_F(RankingsDownload, SkipsPagesThatAreNotRankingsAndRefetchReplacesRows)
{
    server.serve(path(monday, QStringLiteral("d01")), "<!DOCTYPE html><html>maintenance</html>");
    prompt.answerYes();
    EXPECT_EQ(download(0, QStringLiteral("00/07/10"), QStringLiteral("00/07/10")), info::DownloadEnd::Finished);
    EXPECT_EQ(outcome.message, kNothing);
    EXPECT_TRUE(progress.phases.contains(QStringLiteral("20000710 ｽｷｯﾌﾟ..")));

    serveDay(monday, QStringLiteral("d02"), 2);
    prompt.answerYes();
    EXPECT_EQ(download(0, QStringLiteral("00/07/10"), QStringLiteral("00/07/10")), info::DownloadEnd::Finished);
    EXPECT_EQ(count(QStringLiteral("種類コード='d02'")), 2);
    serveDay(monday, QStringLiteral("d02"), 3);
    prompt.answerYes();
    EXPECT_EQ(download(0, QStringLiteral("00/07/10"), QStringLiteral("00/07/10")), info::DownloadEnd::Finished);
    EXPECT_EQ(outcome.message, kFinished);
    EXPECT_EQ(count(QStringLiteral("種類コード='d02'")), 3);
}

TEST_F(RankingsDownload, AnErrorEndsTheRunKeepingWholeFilesOnly)
{
    serveDay(monday, QStringLiteral("d01"));
    // A rank given twice fails in the middle of storing the file: none of its rows stay.
    server.serve(path(monday, QStringLiteral("d02")),
                 rankingFile(monday, QStringLiteral("d02"), QString(), {QStringLiteral("1,1301,1,1,1,a"), QStringLiteral("1,1302,1,1,1,b")}));
    prompt.answerYes();
    EXPECT_EQ(download(0, QStringLiteral("00/07/10"), QStringLiteral("00/07/11")), info::DownloadEnd::Failed);
    EXPECT_TRUE(outcome.message.isEmpty());
    EXPECT_EQ(prompt.messages().size(), 1);
    db::Database::closeAll();
    EXPECT_EQ(count(QStringLiteral("種類コード='d01'")), 2);
    EXPECT_EQ(count(QStringLiteral("種類コード='d02'")), 0);
    EXPECT_EQ(server.requestCount(path(monday.addDays(1), QStringLiteral("d01"))), 0);

    // A line with too few fields names the file and its line.
    server.serve(path(monday, QStringLiteral("d02")),
                 rankingFile(monday, QStringLiteral("d02"), QString(), {QStringLiteral("1,1301,1,1,1,a"), QStringLiteral("2,1302,1")}));
    prompt.answerYes();
    EXPECT_EQ(download(0, QStringLiteral("00/07/10"), QStringLiteral("00/07/10")), info::DownloadEnd::Failed);
    EXPECT_TRUE(prompt.messages().last().contains(QStringLiteral("20000710.d02 の 3 行目")));
    EXPECT_EQ(count(QStringLiteral("種類コード='d02'")), 0);
}

TEST_F(RankingsDownload, BrokenOrMiscountedFilesEndTheRunAndStoreNothingOfThem)
{
    serveDay(monday, QStringLiteral("d01"));
    executeSql(QStringLiteral("insert into informationData (種類コード, 日付, 順位, コード, Top種類コード) values ('d02', #2000/07/10#, 1, 9999, 'd')"));
    const QString d02 = path(monday, QStringLiteral("d02"));
    const QStringList rows{QStringLiteral("1,1301,1,1,1,a"), QStringLiteral("2,1302,1,1,1,b")};
    const QByteArray whole = rankingFile(monday, QStringLiteral("d02"), QString(), rows);
    struct Case
    {
        std::function<void()> serve;
        QString message;
    } cases[] = {
        {[&] { server.serveCutOff(d02, whole, int(whole.size()) - 10); },
         server.baseUrl() + d02
             + QStringLiteral(" を取得できません（%1 バイトのうち %2 バイトで接続が切れました）。").arg(whole.size()).arg(whole.size() - 10)},
        {[&] { server.serve(d02, whole + QByteArray(info::RankingFileLimit, ' ')); },
         server.baseUrl() + d02 + QStringLiteral(" を取得できません（65536 バイトを超えるため受け取りを中止しました）。")},
        {[&] { server.serve(d02, rankingFile(monday, QStringLiteral("d02"), QString(), rows, 3)); },
         QStringLiteral("20000710.d02 を読み込みません（見出しの件数は 3 件ですが、記録は 2 行です）。")},
        // The last line has no line end: it is not a record.
        {[&] { server.serve(d02, whole.chopped(2)); },
         QStringLiteral("20000710.d02 を読み込みません（見出しの件数は 2 件ですが、記録は 1 行です）。")},
    };
    for (const Case &c : cases) {
        c.serve();
        prompt.answerYes();
        EXPECT_EQ(download(0, QStringLiteral("00/07/10"), QStringLiteral("00/07/11")), info::DownloadEnd::Failed);
        EXPECT_EQ(prompt.messages().last(), c.message);
        EXPECT_TRUE(outcome.message.isEmpty());
        // The file before stays; the stored rows of the broken file's kind and date are untouched.
        EXPECT_EQ(count(QStringLiteral("種類コード='d01'")), 2);
        EXPECT_EQ(count(QStringLiteral("種類コード='d02'")), 1);
    }
    EXPECT_EQ(server.requestCount(path(monday.addDays(1), QStringLiteral("d01"))), 0);
}

TEST(InfoServer, RankingLinesOutOfRangeAreLeftOutWithTheirReason)
{
    const QString text = QStringLiteral("20000710,6,d01,\r\n1,1301,100,1,1,a\r\n0,1302,100,1,1,b\r\n2,10000,100,1,1,c\r\n"
                                        "3,1304,-5,1,1,d\r\n4,1305,100,-1,1,e\r\n50,9999,-,0,-3,f\r\n");
    const info::RankingFile file = info::ParseRankingFile(text, QStringLiteral("20000710.d01"));
    QStringList kept, reasons;
    for (const info::RankingRecord &r : file.records)
        kept << QStringLiteral("%1:%2:%3").arg(r.rank).arg(r.code).arg(r.price);
    for (const importer::SkippedLine &l : file.refused.lines())
        reasons << QStringLiteral("%1 %2").arg(l.line).arg(l.reason);
    EXPECT_EQ(kept, (QStringList{QStringLiteral("1:1301:100"), QStringLiteral("50:9999:0")}));
    EXPECT_EQ(reasons, (QStringList{
                           QStringLiteral("3 順位 '0' が 1～50 の範囲外です"),
                           QStringLiteral("4 銘柄コード '10000' が 1～9999 の範囲外です"),
                           QStringLiteral("5 株価 '-5' が負の値です"),
                           QStringLiteral("6 出来高 '-1' が負の値です"),
                       }));
}

TEST_F(RankingsDownload, LinesOutOfRangeAreLeftOutAndReportedOnceTheRunEnds)
{
    server.serve(path(monday, QStringLiteral("d01")),
                 rankingFile(monday, QStringLiteral("d01"), QString(),
                             {QStringLiteral("1,1301,100,1,1,a"), QStringLiteral("51,1302,100,1,1,b"), QStringLiteral("2,1303,100,1,1,c")}));
    serveDay(monday, QStringLiteral("d02"));
    prompt.answerYes();
    EXPECT_EQ(download(0, QStringLiteral("00/07/10"), QStringLiteral("00/07/10")), info::DownloadEnd::Finished);
    EXPECT_EQ(outcome.message, kFinished);
    db::Database::closeAll();
    EXPECT_EQ(count(QStringLiteral("種類コード='d01'")), 2);
    EXPECT_EQ(count(QStringLiteral("種類コード='d02'")), 2);
    EXPECT_EQ(prompt.messages(), QStringList{QStringLiteral("読み込めない行が 1 行ありました（20000710.d01 の 3 行目（順位 '51' が 1～50 の範囲外です））。")});
}

TEST_F(RankingsDownload, WrongDatesAreRefusedAndCancelStopsCleanly)
{
    EXPECT_EQ(download(0, QStringLiteral("00/13/40"), QStringLiteral("00/07/10")), info::DownloadEnd::NotStarted);
    EXPECT_EQ(download(0, QStringLiteral("00/07/11"), QStringLiteral("00/07/10")), info::DownloadEnd::NotStarted);
    EXPECT_EQ(prompt.messages(), (QStringList{QStringLiteral("日付を入力して下さい。"), QStringLiteral("日付範囲が誤っています。")}));

    server.hang(path(monday, QStringLiteral("d01")));
    cancelled = false;
    QTimer::singleShot(200, [this] {
        *cancelled = true;
        http.cancel();
    });
    prompt.answerYes();
    EXPECT_EQ(download(0, QStringLiteral("00/07/10"), QStringLiteral("00/07/14")), info::DownloadEnd::Cancelled);
    EXPECT_TRUE(outcome.message.isEmpty());
    EXPECT_EQ(server.totalRequests(), 1);
}

TEST(InfoServer, ProposedRangeStartsAfterTheNewestRanking)
{
    TempProgramFolder folder;
    folder.createDatabase();
    const QDate today(2000, 7, 20);
    auto proposed = info::ProposeRankingRange(folder.dbPath(), today);
    EXPECT_EQ(proposed.first, today);
    EXPECT_EQ(proposed.last, today);
    executeSql(QStringLiteral("insert into informationData (種類コード, 日付, 順位, コード, Top種類コード) values ('d01', #2000/07/14#, 1, 1301, 'd')"));
    proposed = info::ProposeRankingRange(folder.dbPath(), today);
    EXPECT_EQ(proposed.first, QDate(2000, 7, 17)); // after a Friday: the Monday
    EXPECT_EQ(proposed.last, today);
    proposed = info::ProposeRankingRange(folder.dbPath(), QDate(2000, 7, 14));
    EXPECT_EQ(proposed.last, QDate(2000, 7, 17)); // never before the first day
}

using RegistrationAndPriceDownload = ServerFixture;

TEST_F(RegistrationAndPriceDownload, RegistrationFileIsReplacedOnlyByADatedAnswer)
{
    MainModule::DURL = server.hostAndPort() + QStringLiteral("/kabu/");
    const QString local = folder->filePath(QStringLiteral("Data/Regist.Mei"));
    writeFileBytes(local, "old");
    for (const QByteArray &bad : {QByteArray("<html>404</html>"), QByteArray()}) {
        server.serve(QStringLiteral("/kabu/kabumei/Regist.mei"), bad, bad.isEmpty() ? 404 : 200);
        EXPECT_FALSE(info::DownloadRegistrationFile(http, MainModule::DURL).stored);
        EXPECT_EQ(readFileBytes(local), QByteArray("old"));
    }
    const QByteArray body = TextFile::encode(QStringLiteral("20000714,2\r\n1301,1,極洋\r\n1332,1,ﾆｯｽｲ"));
    server.serve(QStringLiteral("/kabu/kabumei/Regist.mei"), body);
    EXPECT_TRUE(info::DownloadRegistrationFile(http, MainModule::DURL).stored);
    EXPECT_EQ(readFileBytes(local), body + "\r\n");
}

TEST_F(RegistrationAndPriceDownload, PriceFilesOfWeekdaysThatCarryTheirDate)
{
    const QString daily = folder->filePath(QStringLiteral("Data"));
    const QString margin = folder->filePath(QStringLiteral("margin"));
    QDir().mkpath(margin);
    const QDate monday(2000, 7, 10);
    const QByteArray mon = TextFile::encode(QStringLiteral("20000710,1,0\r\n1301,東証1部,極洋,100,110,90,105,12\r\n"));
    server.serve(QStringLiteral("/kabu/kabudata/Ds200007.10"), mon);
    // Tuesday's file carries another date; Wednesday and Thursday have none.
    server.serve(QStringLiteral("/kabu/kabudata/Ds200007.11"), TextFile::encode(QStringLiteral("20000710,1,0\r\n")));
    server.serve(QStringLiteral("/kabu/kabudata/Ys200007.10"), "20000710\r\n1\r\n");
    server.serve(QStringLiteral("/kabu/kabudata/Ys200007.14"), "20000710\r\n");
    writeFileBytes(daily + QStringLiteral("/Ds200007.13"), "earlier");

    info::PriceDownloadView view{http, progress, nullptr};
    const auto result = info::DownloadPriceFiles(monday, monday.addDays(6), true, MainModule::DURL,
                                                 daily + QStringLiteral("\\"), margin, view, 5000);
    EXPECT_TRUE(result.error.isEmpty());
    EXPECT_EQ(result.dailyStored, 1);
    EXPECT_EQ(result.marginStored, 1);
    EXPECT_EQ(readFileBytes(daily + QStringLiteral("/Ds200007.10")), mon);
    EXPECT_FALSE(QFile::exists(daily + QStringLiteral("/Ds200007.11")));
    EXPECT_EQ(readFileBytes(daily + QStringLiteral("/Ds200007.13")), QByteArray("earlier"));
    EXPECT_TRUE(QFile::exists(margin + QStringLiteral("/Ys200007.10")));
    EXPECT_FALSE(QFile::exists(margin + QStringLiteral("/Ys200007.14")));
    EXPECT_EQ(server.requestCount(QStringLiteral("/kabu/kabudata/Ds200007.15")), 0); // Saturday
    EXPECT_EQ(server.totalRequests(), 10);
    EXPECT_EQ(QDir(daily).entryList({QStringLiteral("*.tmp*"), QStringLiteral(".*")}, QDir::Files | QDir::Hidden).size(), 0);
}

TEST_F(RegistrationAndPriceDownload, BrokenAnswersAndFilesNotWholeStopTheRunAndStoreNothing)
{
    const QString daily = folder->filePath(QStringLiteral("Data"));
    const QString monPath = QStringLiteral("/kabu/kabudata/Ds200007.10");
    const QString tuePath = QStringLiteral("/kabu/kabudata/Ds200007.11");
    const QByteArray mon = TextFile::encode(QStringLiteral("20000710,1,0\r\n1301,0,極洋,100,110,90,105,12\r\n"));
    const QByteArray tue = TextFile::encode(QStringLiteral("20000711,2,0\r\n1301,0,極洋,100,110,90,105,12\r\n1332,0,日本水産,50,52,49,51,1000\r\n"));
    server.serve(monPath, mon);
    writeFileBytes(daily + QStringLiteral("/Ds200007.11"), "earlier");
    const auto run = [&] {
        info::PriceDownloadView view{http, progress, nullptr};
        return info::DownloadPriceFiles(QDate(2000, 7, 10), QDate(2000, 7, 12), false, MainModule::DURL, daily, QString(), view, 5000);
    };
    const QString tueAddress = server.baseUrl() + tuePath;
    struct Case
    {
        std::function<void()> serve;
        QString error;
    } cases[] = {
        {[&] { server.serveCutOff(tuePath, tue, 40); },
         tueAddress + QStringLiteral(" を取得できません（%1 バイトのうち 40 バイトで接続が切れました）。").arg(tue.size())},
        {[&] { server.serveStream(tuePath, info::DailyFileLimit + 1, false); },
         tueAddress + QStringLiteral(" を取得できません（4194304 バイトを超えるため受け取りを中止しました）。")},
        // Whole on the wire, but cut short before it was served: the header says two records.
        {[&] { server.serve(tuePath, tue.left(tue.indexOf("1332"))); },
         tueAddress + QStringLiteral(" を保存しません（見出しの件数は 2 件ですが、記録は 1 行です）。")},
    };
    for (const Case &c : cases) {
        c.serve();
        const int before = server.totalRequests();
        const info::PriceDownloadResult result = run();
        EXPECT_EQ(result.error, c.error);
        EXPECT_EQ(result.dailyStored, 1);
        EXPECT_EQ(readFileBytes(daily + QStringLiteral("/Ds200007.11")), QByteArray("earlier"));
        EXPECT_EQ(server.totalRequests() - before, 2); // Wednesday is not asked for
    }

    // The registration file: an answer beyond its limit leaves the earlier file and says why.
    const QString local = folder->filePath(QStringLiteral("Data/Regist.Mei"));
    writeFileBytes(local, "old");
    server.serveStream(QStringLiteral("/kabu/kabumei/Regist.mei"), info::RegistrationFileLimit * 4);
    const info::FileOutcome outcome = info::DownloadRegistrationFile(http, MainModule::DURL);
    EXPECT_FALSE(outcome.stored);
    EXPECT_EQ(outcome.error, server.baseUrl() + QStringLiteral("/kabu/kabumei/Regist.mei を取得できません（2097152 バイトを超えるため受け取りを中止しました）。"));
    EXPECT_EQ(readFileBytes(local), QByteArray("old"));
}

} // namespace
