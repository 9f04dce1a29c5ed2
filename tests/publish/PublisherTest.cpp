// The data server's tree: rankings on a small hand-made database, and a round trip through the
// published files into a new program folder.

#include "import/ImportFixture.h"

#include "base/DateUtil.h"
#include "base/Settings.h"
#include "base/TextFile.h"
#include "board/BoardStore.h"
#include "board/QuoteFetch.h"
#include "datagen/DataGenerator.h"
#include "import/DailyImport.h"
#include "import/ImportPaths.h"
#include "import/ImportRun.h"
#include "import/Registration.h"
#include "import/WeeklyBuilder.h"
#include "info/InfoDownload.h"
#include "info/InfoKinds.h"
#include "info/PriceDownload.h"
#include "loopback/LoopbackServer.h"
#include "net/HttpClient.h"
#include "publish/Publisher.h"

#include <QDirIterator>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

using namespace import_test;
using testing_support::readFileBytes;

namespace {

class PublisherTest : public ImportFixture
{
protected:
    QStringList lines(const QString &relative) const
    {
        bool ok = false;
        const QStringList l = TextFile::readLines(QDir(out.path()).filePath(relative), &ok);
        return ok ? l : QStringList{QStringLiteral("<missing>")};
    }

    publish::PublishResult publishRange(const QDate &from = {}, const QDate &to = {})
    {
        return publish::publish(MainModule::DBPath, {out.path(), from, to});
    }

    // Serves every file of the published tree under its path.
    void serveTree(testing_support::LoopbackServer &server) const
    {
        QDirIterator files(out.path(), QDir::Files, QDirIterator::Subdirectories);
        while (files.hasNext()) {
            const QString file = files.next();
            server.serve(QLatin1Char('/') + QDir(out.path()).relativeFilePath(file), readFileBytes(file));
        }
    }

    QTemporaryDir out;
};

TEST_F(PublisherTest, RankingsOfTheDayWithTheirHistory)
{
    addIssue(1301, 1, QStringLiteral("極洋"));
    addIssue(1332, 2, QStringLiteral("日本水産"));
    addIssue(1333, 1, QStringLiteral("ﾏﾙﾊﾆﾁﾛ"));
    addIssue(1334, 1, QStringLiteral("売買なし"));
    // 26 trading days; on the last, 1301 and 1332 rise alike (a tie broken by code), 1333 (two
    // rows only) falls to a new low, 1334 does not trade, and 1335 is not in Mei.
    QList<QDate> days;
    for (QDate d(2024, 1, 4); days.size() < 26; d = d.addDays(1)) {
        if (d.dayOfWeek() <= 5)
            days.append(d);
    }
    for (int i = 0; i < 25; ++i) {
        addPrice(QStringLiteral("daydata"), 1301, days[i], 100, 100, 100, 100, 10);
        addPrice(QStringLiteral("daydata"), 1332, days[i], 100, 100, 100, 100, 10);
    }
    const QDate last = days[25];
    addPrice(QStringLiteral("daydata"), 1301, last, 100, 112, 100, 110, 30, 10);
    addPrice(QStringLiteral("daydata"), 1332, last, 100, 110, 100, 110, 20, 10);
    addPrice(QStringLiteral("daydata"), 1333, days[24], 200, 200, 200, 200, 5);
    addPrice(QStringLiteral("daydata"), 1333, last, 200, 200, 190, 190, 5, -10);
    addPrice(QStringLiteral("daydata"), 1334, last, 0, 0, 0, 0, 0);
    addPrice(QStringLiteral("daydata"), 1335, days[24], 100, 100, 100, 100, 1);
    addPrice(QStringLiteral("daydata"), 1335, last, 105, 105, 105, 105, 1, 5);

    const auto r = publishRange(last, last);
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(r.dailyFiles, 1);
    const QString stamp = last.toString(QStringLiteral("yyyyMMdd"));
    const QString d = QStringLiteral("jyhodata/") + stamp + QLatin1Char('.');

    // Each comment fits the ten characters the importing program keeps of it.
    for (const char *kind : {"d01", "d02", "d03", "d04", "d05", "d06", "d07", "d08", "d09"}) {
        const QString header = lines(d + QLatin1String(kind)).value(0);
        const QString comment = header.mid(header.indexOf(QLatin1Char(','), 9) + 5);
        EXPECT_FALSE(comment.isEmpty()) << kind;
        EXPECT_LE(comment.size(), 10) << kind << ": " << comment.toStdString();
    }
    const QStringList rising = lines(d + QStringLiteral("d01"));
    ASSERT_EQ(rising.size(), 4);
    EXPECT_TRUE(rising[0].startsWith(stamp + QStringLiteral(",3,0000")));
    EXPECT_EQ(rising.mid(1), (QStringList{QStringLiteral("1,1301,110,30,10,10.0"), QStringLiteral("2,1332,110,20,10,10.0"), QStringLiteral("3,1335,105,1,5,5.0")}));
    EXPECT_EQ(lines(d + QStringLiteral("d02")).mid(1), QStringList{QStringLiteral("1,1333,190,5,-10,-5.0")});
    // 25 earlier rows are needed for the volume surge and the 25-day average.
    EXPECT_EQ(lines(d + QStringLiteral("d04")).mid(1),
              (QStringList{QStringLiteral("1,1301,110,30,10,3.00"), QStringLiteral("2,1332,110,20,10,2.00")}));
    EXPECT_EQ(lines(d + QStringLiteral("d06")).mid(1),
              (QStringList{QStringLiteral("1,1301,110,30,10,9.6"), QStringLiteral("2,1332,110,20,10,9.6")}));
    EXPECT_EQ(lines(d + QStringLiteral("d05")).value(1), QStringLiteral("1,1301,110,30,10,3300"));
    EXPECT_EQ(lines(d + QStringLiteral("d08")).mid(1),
              (QStringList{QStringLiteral("1,1301,110,30,10,10.0"), QStringLiteral("2,1332,110,20,10,10.0"),
                           QStringLiteral("3,1335,105,1,5,5.0")}));
    EXPECT_EQ(lines(d + QStringLiteral("d09")).mid(1), QStringList{QStringLiteral("1,1333,190,5,-10,-5.0")});
    EXPECT_EQ(lines(d + QStringLiteral("d07")).size(), 1); // a kind nobody qualifies for has its header only

    // The day's daily file lists every row, the unregistered issue under a made-up name.
    EXPECT_EQ(lines(QStringLiteral("kabudata/") + importer::dailyFileName(last)),
              (QStringList{stamp + QStringLiteral(",5,0"), QStringLiteral("1301,0,極洋,100,112,100,110,30"),
                           QStringLiteral("1332,1,日本水産,100,110,100,110,20"), QStringLiteral("1333,0,ﾏﾙﾊﾆﾁﾛ,200,200,190,190,5"),
                           QStringLiteral("1334,0,売買なし,0,0,0,0,0"), QStringLiteral("1335,0,銘柄1335,105,105,105,105,1")}));
    EXPECT_EQ(lines(QStringLiteral("kabumei/Regist.mei")).value(0), stamp + QStringLiteral(",4"));
    EXPECT_EQ(lines(QStringLiteral("kabumei/Regist.mei")).value(3), QStringLiteral("1333,1,ﾏﾙﾊﾆﾁﾛ,1000,1"));
    EXPECT_EQ(readFileBytes(QDir(out.path()).filePath(QStringLiteral("kabumei/infodata"))),
              InfoKinds::kindsFileBytes(InfoKinds::shipped(), InfoKinds::listDate()));
}

// The year's highs and lows count from January even when the rows read for the day start later.
TEST_F(PublisherTest, NewHighsAndLowsAgainstTheWholeYear)
{
    const QDate january(2024, 1, 10), june(2024, 6, 6);
    const struct
    {
        qint64 code, januaryClose, todayClose;
    } issues[] = {{1301, 500, 200}, {1332, 150, 200}, {1333, 50, 80}, {1334, 90, 80}};
    for (const auto &i : issues) {
        addPrice(QStringLiteral("daydata"), i.code, january, i.januaryClose, i.januaryClose, i.januaryClose, i.januaryClose, 1);
        addPrice(QStringLiteral("daydata"), i.code, june.addDays(-1), 100, 100, 100, 100, 1);
        addPrice(QStringLiteral("daydata"), i.code, june, i.todayClose, i.todayClose, i.todayClose, i.todayClose, 1);
    }
    ASSERT_TRUE(publishRange(june, june).ok);
    EXPECT_EQ(lines(QStringLiteral("jyhodata/20240606.d08")).mid(1), QStringList{QStringLiteral("1,1332,200,1,0,33.3")});
    EXPECT_EQ(lines(QStringLiteral("jyhodata/20240606.d09")).mid(1), QStringList{QStringLiteral("1,1334,80,1,0,-11.1")});
}

// Many issues pass the extremes of the rows read, and the largest moves are not new extremes of the
// year (January went further): the rankings list the first 50 new highs and lows of the whole year,
// equal figures by code.
TEST_F(PublisherTest, ManyNewHighsAndLowsRankAgainstTheWholeYear)
{
    const QDate january(2024, 1, 10), june(2024, 6, 6);
    struct Issue
    {
        int code;
        qint64 januaryClose, todayClose;
    };
    std::vector<Issue> issues;
    for (int k = 0; k < 180; ++k) {
        const bool beyondJanuary = k >= 100; // the 80 smallest moves
        const qint64 move = 1 + (180 - k) / 2; // pairs of equal moves, one pair across the 50th place
        issues.push_back({1000 + k, beyondJanuary ? 50 : 1000, 100 + move});
        issues.push_back({3000 + k, beyondJanuary ? 150 : 10, 100 - move / 2 - 1});
    }
    {
        db::Database d(MainModule::DBPath);
        db::Transaction all(d);
        for (const Issue &i : issues) {
            for (const auto &[date, close] : {std::pair{january, i.januaryClose}, std::pair{june.addDays(-1), qint64(100)}, std::pair{june, i.todayClose}})
                d.execute(QStringLiteral("insert into daydata (コード, 日付, 始値, 高値, 安値, 終値, 前日比, 出来高) values (?, ?, ?, ?, ?, ?, 0, 1)"),
                          {i.code, date, close, close, close, close});
        }
        all.commit();
    }
    ASSERT_TRUE(publishRange(june, june).ok);
    // The ranking straight from the rule: the year's high is the larger of January's close and 100.
    const auto expected = [&](bool highs) {
        std::vector<std::pair<double, int>> ranked;
        for (const Issue &i : issues) {
            const double extreme = highs ? std::max<qint64>(i.januaryClose, 100) : std::min<qint64>(i.januaryClose, 100);
            if (highs ? i.todayClose > extreme : i.todayClose < extreme)
                ranked.push_back({(double(i.todayClose) - extreme) / extreme * (highs ? -1 : 1), i.code});
        }
        std::sort(ranked.begin(), ranked.end());
        QStringList codes;
        for (size_t n = 0; n < std::min<size_t>(ranked.size(), 50); ++n)
            codes.append(QString::number(ranked[n].second));
        return codes;
    };
    for (const auto &[kind, highs] : {std::pair{"d08", true}, std::pair{"d09", false}}) {
        QStringList codes;
        for (const QString &line : lines(QStringLiteral("jyhodata/20240606.") + QLatin1String(kind)).mid(1))
            codes.append(line.section(QLatin1Char(','), 1, 1));
        EXPECT_EQ(codes.size(), 50) << kind;
        EXPECT_EQ(codes, expected(highs)) << kind;
    }
}

TEST_F(PublisherTest, WeeklyKindsAndMarginFilesOnWeeklyDates)
{
    addIssue(1301, 1, QStringLiteral("極洋"));
    addIssue(1332, 1, QStringLiteral("日本水産"));
    const QDate f1(2024, 1, 12), f2(2024, 1, 19);
    for (qint64 code : {1301, 1332}) {
        addPrice(QStringLiteral("daydata"), code, f2, 100, 100, 100, 100, 1);
        addPrice(QStringLiteral("weekdata"), code, f1, 100, 100, 100, 100, 50);
    }
    addPrice(QStringLiteral("weekdata"), 1301, f2, 100, 130, 100, 120, 40, 20);
    addPrice(QStringLiteral("weekdata"), 1332, f2, 100, 100, 80, 90, 70, -10);
    execute(QStringLiteral("insert into ShinYo (コード, 日付, 売残, 買残, 単位) values (1332, #2024/01/19#, 3, 4, 1000)"));
    execute(QStringLiteral("insert into ShinYo (コード, 日付, 売残, 買残, 単位) values (1301, #2024/01/19#, 1, 2, 100)"));

    ASSERT_TRUE(publishRange(f2, f2).ok);
    EXPECT_EQ(lines(QStringLiteral("jyhodata/20240119.w01")).mid(1), QStringList{QStringLiteral("1,1301,120,40,20,20.0")});
    EXPECT_EQ(lines(QStringLiteral("jyhodata/20240119.w02")).mid(1), QStringList{QStringLiteral("1,1332,90,70,-10,-10.0")});
    EXPECT_EQ(lines(QStringLiteral("jyhodata/20240119.w03")).value(1), QStringLiteral("1,1332,90,70,-10,70"));
    EXPECT_EQ(lines(QStringLiteral("kabudata/Ys202401.19")),
              (QStringList{QStringLiteral("20240119"), QStringLiteral("2,"), QStringLiteral("1301,0,0,1,2,100"),
                           QStringLiteral("1332,0,0,3,4,1000")}));
}

// The published quote pages stand in for the quote site: a board fetched from them shows each
// issue's last stored day up to the end of the range, in yen and shares.
TEST_F(PublisherTest, QuotePagesFillABoard)
{
    addIssue(1301, 1, QStringLiteral("極洋"));
    addIssue(1332, 1, QStringLiteral("日本水産"), false, 1000, 10);
    addIssue(1333, 1, QStringLiteral("ﾏﾙﾊﾆﾁﾛ"), false, 100);
    addIssue(1334, 1, QStringLiteral("行なし"));
    const QDate d1(2024, 3, 4), d2(2024, 3, 5), d3(2024, 3, 6);
    addPrice(QStringLiteral("daydata"), 1301, d1, 100, 100, 100, 100, 10);
    addPrice(QStringLiteral("daydata"), 1301, d2, 100, 112, 99, 110, 30, 10);
    addPrice(QStringLiteral("daydata"), 1301, d3, 120, 120, 120, 120, 5, 10); // after the range
    // Its last row is months older than the rows the day's rankings read.
    addPrice(QStringLiteral("daydata"), 1332, QDate(2023, 11, 30), 60, 61, 57, 58, 7, -2);
    addPrice(QStringLiteral("daydata"), 1333, d2, 500, 500, 500, 500, 0);
    execute(QStringLiteral("update daydata set 出来高 = 12.3 where コード = 1333"));
    const auto r = publishRange(d2, d2);
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(r.quotePages, 4);
    EXPECT_TRUE(QFileInfo::exists(QDir(out.path()).filePath(QStringLiteral("q/1334.html"))));

    testing_support::LoopbackServer server;
    serveTree(server);
    Settings::writeSettingsValue(QStringLiteral("QURL"), server.hostAndPort() + QStringLiteral("/q/{code}.html"));
    const board::BoardContext ctx{MainModule::DBPath, prompt, d3};
    for (qint32 code : {1301, 1332, 1333}) {
        prompt.answerYes();
        ASSERT_TRUE(board::AddIssue(ctx, board::BoardA, code, QStringLiteral("x")));
    }
    HttpClient http;
    testing_support::FixedClock clock(d3, QTime(16, 0));
    board::QuoteFetch fetch(MainModule::DBPath, board::BoardA, http, prompt, clock);
    QEventLoop loop;
    QObject::connect(&fetch, &board::QuoteFetch::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    prompt.answerYes();
    ASSERT_TRUE(fetch.start());
    loop.exec();
    ASSERT_FALSE(fetch.isFetching());
    EXPECT_EQ(rowsOf(QStringLiteral("select コード, 現在値, 現前日比, 現出来高 + 0 from board order by コード")),
              (QStringList{QStringLiteral("1301,110,10,30000"), QStringLiteral("1332,580,-20,7000"),
                           QStringLiteral("1333,500,0,1230")}));
}

// Day after day into one tree: a file that already holds its bytes is not written again (the same
// file stays), the quote pages of every registered issue are each day's, and the page of an issue
// no longer registered keeps the bytes it had.
TEST_F(PublisherTest, DailyRunsIntoOneTree)
{
    addIssue(1301, 1, QStringLiteral("極洋"));
    addIssue(1332, 1, QStringLiteral("日本水産"));
    const QDate d1(2024, 3, 4), d2(2024, 3, 5), d3(2024, 3, 6);
    for (const QDate &d : {d1, d2, d3}) {
        addPrice(QStringLiteral("daydata"), 1301, d, 100, 100, 100, 100 + d.day(), 10);
        addPrice(QStringLiteral("daydata"), 1332, d, 50, 50, 50, 50 + d.day(), 10);
    }
    const auto readingSettings = [] {
        db::Database d(MainModule::DBPath);
        return std::pair{d.scalarRaw(QStringLiteral("PRAGMA cache_size")).toLongLong(),
                         d.scalarRaw(QStringLiteral("PRAGMA mmap_size")).toLongLong()};
    };
    const auto settingsBefore = readingSettings();
    const QDir tree(out.path());
    const auto changed = [&](const QString &relative) { return QFileInfo(tree.filePath(relative)).metadataChangeTime(); };
    const auto page = [&](int code) { return readFileBytes(tree.filePath(QStringLiteral("q/%1.html").arg(code))); };
    ASSERT_TRUE(publishRange(d1, d1).ok);
    // The next operation on the kept connection has its usual cache, and reads without a mapping.
    EXPECT_EQ(readingSettings(), settingsBefore);
    const QByteArray regist = readFileBytes(tree.filePath(QStringLiteral("kabumei/Regist.mei")));
    const QDateTime kinds = changed(QStringLiteral("kabumei/infodata")), ranking = changed(QStringLiteral("jyhodata/20240304.d01"));
    QThread::msleep(20); // a file written again has a later change time
    ASSERT_TRUE(publishRange(d1, d1).ok);
    EXPECT_EQ(changed(QStringLiteral("kabumei/infodata")), kinds);
    EXPECT_EQ(changed(QStringLiteral("jyhodata/20240304.d01")), ranking);
    const QByteArray page1332 = page(1332);
    ASSERT_TRUE(page1332.contains("2024/03/04"));
    execute(QStringLiteral("delete from Mei where コード = 1332"));
    for (const QDate &d : {d2, d3}) {
        const auto r = publishRange(d, d);
        ASSERT_TRUE(r.ok) << r.error.toStdString();
        EXPECT_EQ(r.quotePages, 1);
        EXPECT_TRUE(page(1301).contains(d.toString(QStringLiteral("yyyy/MM/dd")).toLatin1())) << d.toString().toStdString();
        EXPECT_EQ(page(1332), page1332);
    }
    EXPECT_NE(readFileBytes(tree.filePath(QStringLiteral("kabumei/Regist.mei"))), regist);
    EXPECT_EQ(QDir(tree.filePath(QStringLiteral("q"))).entryList(QDir::Files), (QStringList{QStringLiteral("1301.html"), QStringLiteral("1332.html")}));
}

// Generated files imported into one folder, published, and the published files imported into a
// second folder through the data server give the same tables and rankings; the daily and margin
// files come back byte for byte.
TEST_F(PublisherTest, RoundTripThroughThePublishedFiles)
{
    importer::GeneratorOptions o;
    o.issues = 30;
    o.tradingDays = 40;
    o.firstDay = QDate(2023, 12, 1);
    o.seed = 5;
    o.zeroVolumePerMille = 60;
    o.otherMarketPercent = 0; // files of markets the import skips could not come back byte for byte
    importer::DataGenerator generator(o);
    const QString source = importer::folderPath(MainModule::hibiPath);
    ASSERT_TRUE(generator.writeRegistration(folder.filePath(QStringLiteral("Data/Regist.Mei"))));
    generator.writeFiles(source, importer::folderPath(MainModule::sinyoPath));
    const QDate first = generator.tradingDays().front(), lastDay = generator.tradingDays().back();

    const auto importAll = [&]() {
        importer::ImportContext c{progress, prompt};
        ASSERT_TRUE(importer::ImportRegistration(c).completed);
        ASSERT_TRUE(importer::ImportDailyFiles(importer::DailyImportRequest::fromSettings(first, lastDay, true, true), c).completed);
    };
    const auto tables = [&]() {
        return table(QStringLiteral("daydata")) + table(QStringLiteral("weekdata")) + table(QStringLiteral("ShinYo"))
            + rowsOf(QStringLiteral("select コード, 市場コード, 銘柄, 出来高単位, 株価単位 from Mei order by コード"));
    };
    importAll();
    const QStringList original = tables();
    ASSERT_GT(original.size(), 1000);

    // Two runs: the second adds the later days, from the first weekday after the first run's.
    const QDate middle = generator.tradingDays()[20];
    ASSERT_TRUE(publishRange({}, middle).ok);
    const auto second = publishRange();
    ASSERT_TRUE(second.ok);
    QDate nextWeekday = middle.addDays(1);
    while (nextWeekday.dayOfWeek() > Qt::Friday)
        nextWeekday = nextWeekday.addDays(1);
    EXPECT_EQ(second.from, nextWeekday);
    EXPECT_EQ(second.to, lastDay);

    QDirIterator files(QDir(out.path()).filePath(QStringLiteral("kabudata")), QDir::Files);
    int compared = 0;
    while (files.hasNext()) {
        const QFileInfo f(files.next());
        const QString sourceFile = f.fileName().startsWith(QLatin1String("Ds"))
            ? QDir(source).filePath(f.fileName())
            : importer::fileIn(MainModule::sinyoPath, f.fileName());
        if (QFileInfo::exists(sourceFile)) {
            EXPECT_EQ(readFileBytes(f.filePath()), readFileBytes(sourceFile)) << f.fileName().toStdString();
            ++compared;
        }
    }
    EXPECT_GT(compared, 40);

    // A new program folder fed only through DURL from the published tree on a loopback server:
    // registration, daily and margin files, kinds and rankings, over the year-end holidays.
    const QString rankingRows = QStringLiteral("select 種類コード, 日付, 順位, コード, 株価, 出来高, 前日比, 値, コメント "
                                               "from informationData order by 種類コード, 日付, 順位");
    testing_support::LoopbackServer server;
    serveTree(server);
    testing_support::TempProgramFolder fresh;
    fresh.createDatabase();
    QDir(fresh.path()).mkdir(QStringLiteral("Margin"));
    MainModule::sinyoPath = fresh.filePath(QStringLiteral("Margin/"));
    MainModule::DURL = server.hostAndPort() + QLatin1Char('/');
    HttpClient http;
    ASSERT_TRUE(info::DownloadRegistrationFile(http, MainModule::DURL, 5000).stored);
    info::PriceDownloadView view{http, progress, nullptr};
    const auto prices = info::DownloadPriceFiles(first, lastDay, true, MainModule::DURL, MainModule::hibiPath,
                                                 MainModule::sinyoPath, view, 5000);
    ASSERT_TRUE(prices.error.isEmpty()) << prices.error.toStdString();
    EXPECT_EQ(prices.dailyStored, int(generator.tradingDays().size()));
    importAll();
    EXPECT_EQ(tables(), original);

    const auto downloadInformation = [&](info::DownloadMode mode) {
        info::DownloadView v{&http, prompt, progress, {}, {}, nullptr};
        info::DownloadRequest request;
        request.mode = int(mode);
        request.firstText = first.toString(QStringLiteral("yy/MM/dd"));
        request.lastText = lastDay.toString(QStringLiteral("yy/MM/dd"));
        request.today = lastDay;
        request.timeoutMs = 5000;
        prompt.answerYes();
        return info::DownloadInformation(request, v);
    };
    ASSERT_EQ(downloadInformation(info::DownloadMode::Kinds).end, info::DownloadEnd::Finished);
    const info::DownloadResult rankingsDownload = downloadInformation(info::DownloadMode::Rankings);
    ASSERT_EQ(rankingsDownload.end, info::DownloadEnd::Finished);
    EXPECT_EQ(rankingsDownload.message, QStringLiteral("ダウンロード終了しました。"));
    const QStringList downloaded = rowsOf(rankingRows);
    // Every ranking row published came down; the last Friday's weekly rankings are among them.
    int published = 0;
    QDirIterator rankings(QDir(out.path()).filePath(QStringLiteral("jyhodata")), QDir::Files);
    while (rankings.hasNext())
        published += int(TextFile::readLines(rankings.next()).size()) - 1;
    EXPECT_EQ(downloaded.size(), published);
    EXPECT_GT(published, 1000);
    const QString lastFriday = DateUtil::FridayOnOrAfter(lastDay.addDays(-7)).toString(Qt::ISODate);
    EXPECT_TRUE(downloaded.filter(QStringLiteral("w03,") + lastFriday).size() > 0) << lastFriday.toStdString();

    // The folder that came from the server publishes the same rankings again.
    QTemporaryDir again;
    ASSERT_TRUE(publish::publish(MainModule::DBPath, {again.path(), {}, {}}).ok);
    QDirIterator republished(QDir(again.path()).filePath(QStringLiteral("jyhodata")), QDir::Files);
    int same = 0;
    while (republished.hasNext()) {
        const QFileInfo f(republished.next());
        EXPECT_EQ(readFileBytes(f.filePath()), readFileBytes(QDir(out.path()).filePath(QStringLiteral("jyhodata/") + f.fileName())))
            << f.fileName().toStdString();
        ++same;
    }
    EXPECT_EQ(same, int(QDir(QDir(out.path()).filePath(QStringLiteral("jyhodata"))).entryList(QDir::Files).size()));
}

} // namespace
