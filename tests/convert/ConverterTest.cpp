// The converter: each source format into daily files, the rounding and volume rules, and bad input
// reported by file and line.

#include "convert/Converter.h"
#include "base/MainModule.h"
#include "base/Settings.h"
#include "base/TextFile.h"
#include "import/InputProblems.h"
#include "loopback/LoopbackServer.h"
#include "net/HttpClient.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

// Rows copied from the real data set (shares, whole yen, "Hight" as it spells it).
const QByteArray Toyota = "Date,Open,Hight,Low,Close,Volume,Adj Close\n"
                          "2018/11/13,6599,6599,6498,6545,6170800,6545\n"
                          "2018/11/14,6589,6677,6559,6667,6051700,6667\n"
                          "2018/11/15,6666,6666,6608,6640,4194900,6640\n";
const QByteArray Kyokuyo = "Date,Open,Hight,Low,Close,Volume,Adj Close\n"
                           "2018/11/14,3050,3060,3000,3010,51200,3010\n"
                           "2018/11/15,3005,3025,2995,3015,33900,3015\n";

class ConverterTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        batchToolPath(); // the event loop the address source needs
        source = folder.filePath(QStringLiteral("source"));
        QDir().mkpath(source);
        output = folder.filePath(QStringLiteral("Data"));
    }

    convert::ConvertResult run(const QString &from, const QString &to, const QString &src, Http *http = nullptr)
    {
        convert::ConvertRequest r{QDate::fromString(from, Qt::ISODate), QDate::fromString(to, Qt::ISODate), src, output};
        return convert::convert(r, issues, http, {});
    }

    QStringList daily(const QString &name) const
    {
        bool ok = false;
        const QStringList lines = TextFile::readLines(QDir(output).filePath(name), &ok);
        return ok ? lines : QStringList{QStringLiteral("<missing>")};
    }

    QStringList problems(const convert::ConvertResult &r) const
    {
        QStringList out;
        for (const importer::SkippedLine &p : r.problems.lines())
            out << QStringLiteral("%1:%2").arg(p.file).arg(p.line);
        return out;
    }

    TempProgramFolder folder;
    QString source, output;
    convert::IssueRegister issues;
};

TEST_F(ConverterTest, PerIssueFolderBecomesOneDailyFilePerDay)
{
    writeFileBytes(QDir(source).filePath(QStringLiteral("7203.T.csv")), Toyota);
    writeFileBytes(QDir(source).filePath(QStringLiteral("1301.CSV")), Kyokuyo);
    writeFileBytes(QDir(source).filePath(QStringLiteral("README.md")), "not a source");
    // Toyota is registered (market 東証１部, units of 100 shares); 1301 is not.
    issues.add(7203, {QStringLiteral("トヨタ自動車"), 0, 100, 1});

    const auto r = run(QStringLiteral("2018-11-14"), QStringLiteral("2018-11-16"), source);
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(r.filesWritten, 2);
    EXPECT_TRUE(r.problems.isEmpty());
    EXPECT_EQ(daily(QStringLiteral("Ds201811.14")),
              (QStringList{QStringLiteral("20181114,2,0"), QStringLiteral("1301,0,銘柄1301,3050,3060,3000,3010,51.2"),
                           QStringLiteral("7203,0,トヨタ自動車,6589,6677,6559,6667,60517")}));
    EXPECT_FALSE(QFileInfo::exists(QDir(output).filePath(QStringLiteral("Ds201811.13"))));
    EXPECT_FALSE(QFileInfo::exists(QDir(output).filePath(QStringLiteral("Ds201811.16"))));
    // Code page 932 with CR LF, as the import reads.
    const QByteArray bytes = readFileBytes(QDir(output).filePath(QStringLiteral("Ds201811.15")));
    EXPECT_TRUE(bytes.contains(TextFile::encode(QStringLiteral("トヨタ自動車"))));
    EXPECT_EQ(bytes.count("\r\n"), 3);
}

TEST_F(ConverterTest, BulkFileInJapaneseColumnsWithBadLinesReported)
{
    const QString bulk = QDir(source).filePath(QStringLiteral("daily.csv"));
    writeCp932File(bulk, {QStringLiteral("日付,コード,銘柄名,市場,始値,高値,安値,終値,出来高"), QStringLiteral("20240105,72030,トヨタ,プライム,2700.5,2750,2690,2701.5,1230000"), QStringLiteral("20240105,1301,極洋,スタンダード,4000,4010,3990,4005,12300"), QStringLiteral("20240105,12345,五桁,プライム,1,1,1,1,100"), QStringLiteral("20240105,9999,売買なし,プライム,-,-,-,-,0"), QStringLiteral("2024/01/05,8001,項目不足"), QStringLiteral("2024-13-01,8002,日付誤り,プライム,1,1,1,1,100"), QStringLiteral("2024-01-06,8003,土曜,プライム,1,1,1,1,100"), QStringLiteral("20240108,1301,極洋,スタンダード,4005,4005,4005,4005,1")});

    const auto r = run(QStringLiteral("2024-01-01"), QStringLiteral("2024-01-31"), bulk);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(problems(r), (QStringList{QStringLiteral("daily.csv:4"), QStringLiteral("daily.csv:6"), QStringLiteral("daily.csv:7")}));
    // Five digits ending in 0 are the four-digit code; half to even; the day without trade and
    // the Saturday are left out; name and market from the source for issues not in Mei.
    EXPECT_EQ(daily(QStringLiteral("Ds202401.05")),
              (QStringList{QStringLiteral("20240105,2,0"), QStringLiteral("1301,1,極洋,4000,4010,3990,4005,12.3"),
                           QStringLiteral("7203,0,トヨタ,2700,2750,2690,2702,1230")}));
    // One share is still a traded day.
    EXPECT_EQ(daily(QStringLiteral("Ds202401.08")).value(1), QStringLiteral("1301,1,極洋,4005,4005,4005,4005,0.001"));
    EXPECT_FALSE(QFileInfo::exists(QDir(output).filePath(QStringLiteral("Ds202401.06"))));
}

TEST_F(ConverterTest, PriceAndVolumeRules)
{
    using convert::priceInUnits;
    using convert::volumeInUnits;
    // Prices are divided by the price unit, half to even; a price above 0 never becomes 0.
    for (const auto &[price, unit, inUnits] : {std::tuple{"2.5", 1, 2}, {"3.5", 1, 4}, {"15040", 10, 1504}, {"125", 10, 12}, {"135", 10, 14}, {"136", 10, 14}, {"4", 10, 1}, {"0.4", 1, 1}, {"2500", 1000, 2}})
        EXPECT_EQ(priceInUnits(Currency::fromText(QString::fromLatin1(price)), unit), inUnits) << price << " / " << unit;
    for (const auto &[volume, unit, inUnits] : {std::tuple{12300, 1000, "12.3"}, {1, 100000, "0.0001"}, {1, 1000000, "0.0001"}, {10, 3, "3.3333"}})
        EXPECT_EQ(volumeInUnits(Currency::fromInt(volume), unit).toString(), QString::fromLatin1(inUnits)) << volume << " / " << unit;
    // A name with a comma would shift the fields of the daily file.
    issues.add(1301, {QStringLiteral("A,B"), 5, 1000, 1});
    convert::SourceRow row{1301, QDate(2024, 1, 5), Currency::fromInt(1), Currency::fromInt(1), Currency::fromInt(1),
                           Currency::fromInt(1), Currency::fromInt(1000), QString(), -1};
    const auto record = convert::dailyRecordOf(row, issues);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->name, QStringLiteral("A，B"));
    EXPECT_EQ(record->position, 5);
}

TEST_F(ConverterTest, IssuesWithAPriceUnitAreWrittenInThatUnit)
{
    // The chart and the board multiply the stored prices back by 株価単位.
    issues.add(7203, {QStringLiteral("トヨタ"), 0, 100, 10});
    issues.add(6501, {QStringLiteral("日立"), 0, 100, 100});
    writeFileBytes(QDir(source).filePath(QStringLiteral("7203.csv")),
                   "Date,Open,High,Low,Close,Volume\n2024-01-05,15040,15100,14955,15025,12300\n");
    writeFileBytes(QDir(source).filePath(QStringLiteral("bulk.csv")), "code,date,open,high,low,close,volume\n"
                                                                      "1301,2024-01-05,4005,4010,3990,4005,12000\n"
                                                                      "6501,2024-01-05,2550,2650,2450,2560,500\n");
    ASSERT_TRUE(run(QStringLiteral("2024-01-05"), QStringLiteral("2024-01-05"), source).ok);
    EXPECT_EQ(daily(QStringLiteral("Ds202401.05")).mid(1),
              (QStringList{QStringLiteral("1301,0,銘柄1301,4005,4010,3990,4005,12"), QStringLiteral("6501,0,日立,26,26,24,26,5"),
                           QStringLiteral("7203,0,トヨタ,1504,1510,1496,1502,123")}));
}

TEST_F(ConverterTest, UnrecognisedFilesAreReportedAndUtf8IsRead)
{
    writeFileBytes(QDir(source).filePath(QStringLiteral("notes.txt")), "<html><body>error</body></html>\n");
    writeFileBytes(QDir(source).filePath(QStringLiteral("bulk.csv")),
                   QStringLiteral("\uFEFFコード,日付,始値,高値,安値,終値,出来高\r\n1332,2024-01-05,700,710,690,705,5000\r\n").toUtf8());
    writeFileBytes(QDir(source).filePath(QStringLiteral("names.csv")),
                   QStringLiteral("code,date,open,high,low,close,volume,name\n1333,20240105,1,1,1,1,1000,ﾏﾙﾊ\n").toUtf8());
    const auto r = run(QStringLiteral("2024-01-05"), QStringLiteral("2024-01-05"), source);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(problems(r), QStringList{QStringLiteral("notes.txt:1")});
    EXPECT_EQ(daily(QStringLiteral("Ds202401.05")).mid(1),
              (QStringList{QStringLiteral("1332,0,銘柄1332,700,710,690,705,5"), QStringLiteral("1333,0,ﾏﾙﾊ,1,1,1,1,1")}));

    const auto missing = run(QStringLiteral("2024-01-05"), QStringLiteral("2024-01-05"), source + QStringLiteral("/none"));
    EXPECT_FALSE(missing.ok);
    EXPECT_FALSE(missing.error.isEmpty());
}

TEST_F(ConverterTest, AddressTemplateFetchesEachWeekday)
{
    LoopbackServer server;
    const QString head = QStringLiteral("Code,Date,Open,High,Low,Close,Volume\r\n");
    server.serve(QStringLiteral("/d/20240104.csv"), (head + QStringLiteral("1301,2024-01-04,10,12,9,11,2000\r\n")).toUtf8());
    server.serve(QStringLiteral("/d/20240105.csv"), "<html>maintenance</html>");
    server.serve(QStringLiteral("/d/20240108.csv"), (head + QStringLiteral("1301,2024-01-08,11,11,11,11,1000\r\n")).toUtf8());
    HttpClient http;
    const auto r = run(QStringLiteral("2024-01-04"), QStringLiteral("2024-01-09"),
                       server.baseUrl() + QStringLiteral("/d/{date}.csv"), &http);
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(r.filesWritten, 2);
    EXPECT_EQ(server.requestCount(QStringLiteral("/d/20240106.csv")), 0); // Saturday
    EXPECT_EQ(server.totalRequests(), 4);
    EXPECT_EQ(problems(r).size(), 2); // the HTML page and the 404 of the 9th
    EXPECT_EQ(daily(QStringLiteral("Ds202401.04")).value(1), QStringLiteral("1301,0,銘柄1301,10,12,9,11,2"));

    // {code} takes the registered issues; a per-issue answer needs no code column.
    issues.add(7203, {QStringLiteral("トヨタ"), 0, 100, 1});
    server.serve(QStringLiteral("/i/7203"), Toyota);
    const auto byCode = run(QStringLiteral("2018-11-15"), QStringLiteral("2018-11-15"),
                            server.baseUrl() + QStringLiteral("/i/{code}"), &http);
    ASSERT_TRUE(byCode.ok);
    EXPECT_EQ(daily(QStringLiteral("Ds201811.15")).value(1), QStringLiteral("7203,0,トヨタ,6666,6666,6608,6640,41949"));

    // An answer cut short would leave its issue out of every day: the run ends and writes nothing.
    issues.add(1301, {QStringLiteral("極洋"), 0, 1000, 1});
    server.serveCutOff(QStringLiteral("/i/1301"), Kyokuyo, 60);
    QDir(output).removeRecursively();
    const auto cut = run(QStringLiteral("2018-11-15"), QStringLiteral("2018-11-15"),
                         server.baseUrl() + QStringLiteral("/i/{code}"), &http);
    EXPECT_FALSE(cut.ok);
    EXPECT_TRUE(cut.error.startsWith(server.baseUrl() + QStringLiteral("/i/1301 を取得できません（"))) << cut.error.toStdString();
    EXPECT_EQ(daily(QStringLiteral("Ds201811.15")), QStringList{QStringLiteral("<missing>")});
}

TEST_F(ConverterTest, ConvtTakesTheImportWindowsArgumentAndTheSettingsSource)
{
    const QString batch = batchToolPath();
    const QString convt = QFileInfo(batch).dir().filePath(QStringLiteral("Convt"));
    if (!QFileInfo(convt).isExecutable())
        GTEST_SKIP() << "Convt is not built";
    QProcess init;
    init.start(batch, {QStringLiteral("--folder"), folder.path(), QStringLiteral("init")});
    ASSERT_TRUE(init.waitForFinished(30000));
    writeFileBytes(QDir(source).filePath(QStringLiteral("1301.csv")), Kyokuyo);
    cINI ini;
    ini.cstrPath = folder.iniPath();
    ini.cstrSection = QStringLiteral("Convt");
    ini.cstrkey = QStringLiteral("Source");
    ini.cstrData = QStringLiteral("source");
    ASSERT_TRUE(ini.WriteIni());

    QProcess p;
    p.start(convt, {QStringLiteral("--folder"), folder.path(), QStringLiteral("18/11/14,18/11/14")});
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    EXPECT_EQ(daily(QStringLiteral("Ds201811.14")).size(), 2);

    p.start(convt, {QStringLiteral("--folder"), folder.path(), QStringLiteral("18/11/14")});
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 2);
}

} // namespace
