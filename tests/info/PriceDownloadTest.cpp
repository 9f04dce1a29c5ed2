#include "InfoTestSupport.h"

#include "info/PriceDownload.h"

#include <QDir>

using namespace info_test;

namespace {

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
