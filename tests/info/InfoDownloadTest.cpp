#include "InfoTestSupport.h"

#include "db/Database.h"
#include "info/InfoServer.h"
#include "info/PriceDownload.h"

#include <QDir>
#include <QFile>
#include <QTimer>

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
    EXPECT_EQ(MainModule::MainTag, kFinished);
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
    EXPECT_EQ(MainModule::MainTag, kNothing);
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
        EXPECT_EQ(MainModule::MainTag, kNothing);
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
    EXPECT_FALSE(info::LoadShippedKinds(prompt));
    EXPECT_EQ(MainModule::MainTag, kNothing);

    writeFileBytes(folder->filePath(QStringLiteral("infodata")),
                   InfoKinds::kindsFileBytes(InfoKinds::shipped(), InfoKinds::listDate()));
    EXPECT_TRUE(info::LoadShippedKinds(prompt));
    EXPECT_EQ(scalarOf(QStringLiteral("select count(*) from informationClass")).toInt(), 12);
    EXPECT_FALSE(QFile::exists(folder->filePath(QStringLiteral("Data/infodata"))));
    EXPECT_TRUE(QFile::exists(folder->filePath(QStringLiteral("infodata"))));
    // Once kinds exist the shipped file is not read again.
    executeSql(QStringLiteral("update informationClass set 種類名='変更' where 種類コード='d01'"));
    EXPECT_FALSE(info::LoadShippedKinds(prompt));
    EXPECT_EQ(kindName(QStringLiteral("種類コード='d01'")), QStringLiteral("変更"));
    EXPECT_EQ(server.totalRequests(), 0);
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
    EXPECT_EQ(MainModule::MainTag, kFinished);
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
    // The weekly pass still runs; a cut-off transfer counts as an empty answer too.
    const QByteArray w01 = rankingFile(friday, QStringLiteral("w01"), QString(), {QStringLiteral("1,1301,1,1,1,1")});
    server.serveCutOff(path(friday, QStringLiteral("w01")), w01 + QByteArray(500, ' '), int(w01.size()));
    prompt.answerYes();
    EXPECT_EQ(download(0, QStringLiteral("00/07/10"), QStringLiteral("00/07/14")), info::DownloadEnd::Finished);
    EXPECT_EQ(MainModule::MainTag, kFinished);
    EXPECT_EQ(server.requestCount(path(monday.addDays(1), QStringLiteral("d02"))), 0);
    EXPECT_EQ(server.requestCount(path(monday.addDays(2), QStringLiteral("d01"))), 0);
    EXPECT_EQ(server.requestCount(path(friday, QStringLiteral("w01"))), 1);
    EXPECT_EQ(count(QStringLiteral("1=1")), 4);

    // A Saturday alone fetches nothing in either pass.
    prompt.answerYes();
    EXPECT_EQ(download(0, QStringLiteral("00/07/15"), QStringLiteral("00/07/15")), info::DownloadEnd::Finished);
    EXPECT_EQ(MainModule::MainTag, kNothing);
}

TEST_F(RankingsDownload, SkipsPagesThatAreNotRankingsAndRefetchReplacesRows)
{
    server.serve(path(monday, QStringLiteral("d01")), "<!DOCTYPE html><html>maintenance</html>");
    // Announces three rows, has two: they stay, but the file is not counted as found.
    server.serve(path(monday, QStringLiteral("d02")),
                 rankingFile(monday, QStringLiteral("d02"), QString(), {QStringLiteral("1,1301,1,1,1,a"), QStringLiteral("2,1302,1,1,1,b")}, 3));
    prompt.answerYes();
    EXPECT_EQ(download(0, QStringLiteral("00/07/10"), QStringLiteral("00/07/10")), info::DownloadEnd::Finished);
    EXPECT_EQ(MainModule::MainTag, kNothing);
    EXPECT_TRUE(progress.phases.contains(QStringLiteral("20000710 ｽｷｯﾌﾟ..")));
    EXPECT_EQ(count(QStringLiteral("種類コード='d02'")), 2);

    serveDay(monday, QStringLiteral("d02"), 3);
    prompt.answerYes();
    EXPECT_EQ(download(0, QStringLiteral("00/07/10"), QStringLiteral("00/07/10")), info::DownloadEnd::Finished);
    EXPECT_EQ(MainModule::MainTag, kFinished);
    EXPECT_EQ(count(QStringLiteral("種類コード='d02'")), 3);
}

TEST_F(RankingsDownload, AnErrorEndsTheRunKeepingWholeFilesOnly)
{
    serveDay(monday, QStringLiteral("d01"));
    // A rank given twice fails in the middle of storing the file: none of its rows stay.
    server.serve(path(monday, QStringLiteral("d02")),
                 rankingFile(monday, QStringLiteral("d02"), QString(), {QStringLiteral("1,1301,1,1,1,a"), QStringLiteral("1,1302,1,1,1,b")}));
    MainModule::MainTag = QStringLiteral("before");
    prompt.answerYes();
    EXPECT_EQ(download(0, QStringLiteral("00/07/10"), QStringLiteral("00/07/11")), info::DownloadEnd::Failed);
    EXPECT_EQ(MainModule::MainTag, QStringLiteral("before"));
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
    MainModule::MainTag.clear();
    prompt.answerYes();
    EXPECT_EQ(download(0, QStringLiteral("00/07/10"), QStringLiteral("00/07/14")), info::DownloadEnd::Cancelled);
    EXPECT_TRUE(MainModule::MainTag.isEmpty());
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
    // Tuesday's file carries another date; Wednesday has none; Thursday is cut off.
    server.serve(QStringLiteral("/kabu/kabudata/Ds200007.11"), TextFile::encode(QStringLiteral("20000710,1,0\r\n")));
    server.serveCutOff(QStringLiteral("/kabu/kabudata/Ds200007.13"), "20000713,1,0\r\n13" + QByteArray(400, '0'), 16);
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

} // namespace
