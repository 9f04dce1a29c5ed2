// The daily import as the user sees it: rows, carried reference closes, issues in Mei, messages.

#include "ImportFixture.h"

#include "import/DailyImport.h"
#include "import/ImportRun.h"

using namespace import_test;
using importer::DailyImportRequest;
using importer::ImportContext;
using importer::ImportResult;

namespace {

// 3 to 7 July 2000: Monday to Friday.
const QDate Mon(2000, 7, 3), Tue(2000, 7, 4), Wed(2000, 7, 5), Thu(2000, 7, 6), Fri(2000, 7, 7), Sat(2000, 7, 8);

class DailyImportTest : public ImportFixture
{
protected:
    ImportResult run(QDate from, QDate to, bool margin = false, bool weekly = false)
    {
        ImportContext context{progress, prompt};
        return importer::ImportDailyFiles(DailyImportRequest::fromSettings(from, to, margin, weekly), context);
    }
};

TEST_F(DailyImportTest, CarriesTheReferenceCloseThroughHolidaysZeroVolumeDaysAndFirstDays)
{
    writeDaily(Mon, {QStringLiteral("1301,0,極洋,100,110,95,105,5000"), QStringLiteral("1332,0,日本水産,50,52,49,51,1000")});
    writeDaily(Tue, {QStringLiteral("1301,0,極洋,0,0,0,0,0"), QStringLiteral("1332,0,日本水産,51,53,50,52,1000")});
    // Wednesday is a holiday: no file.
    writeDaily(Thu, {QStringLiteral("1301,0,極洋,108,112,100,111,3000"), QStringLiteral("1332,0,日本水産,53,54,52,50,2000"), QStringLiteral("1333,1,ﾏﾙﾊ,200,210,190,205,800")});

    const ImportResult result = run(Mon, Fri);

    EXPECT_TRUE(result.completed);
    EXPECT_TRUE(result.closeWindow);
    EXPECT_EQ(result.message, QStringLiteral("読み込み終了"));
    EXPECT_EQ(result.storedRecords, 7);
    EXPECT_TRUE(prompt.messages().isEmpty());

    const QString day = QStringLiteral("daydata");
    // First day of the database: change 0, reference = close.
    EXPECT_EQ(changeOf(day, 1301, Mon), Change(0, 105));
    EXPECT_EQ(priceRow(day, 1301, Mon)->volume, QStringLiteral("5000"));
    // No trade: zero prices, change 0, the reference carried.
    const auto r = priceRow(day, 1301, Tue);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->open + r->high + r->low + r->close, 0);
    EXPECT_EQ(changeOf(day, 1301, Tue), Change(0, 105));
    // Across the holiday, against the carried close.
    EXPECT_EQ(changeOf(day, 1301, Thu), Change(6, 111));
    EXPECT_EQ(changeOf(day, 1332, Thu), Change(-2, 50));
    // An issue's first day.
    EXPECT_EQ(changeOf(day, 1333, Thu), Change(0, 205));
}

TEST_F(DailyImportTest, ZeroReferenceGivesNoChangeAndOldPreviousDayIsNotFound)
{
    addPrice(QStringLiteral("daydata"), 1301, Mon.addDays(-61), 100, 100, 100, 100, 10, 0, 100);
    addPrice(QStringLiteral("daydata"), 1332, Mon.addDays(-60), 0, 0, 0, 0, 0, 0, 0);
    writeDaily(Mon, {QStringLiteral("1301,0,極洋,100,110,95,120,5000"), QStringLiteral("1332,0,日本水産,50,52,49,51,1000")});

    run(Mon, Mon);

    // 61 days back lies outside the look-back: the issue starts afresh.
    EXPECT_EQ(priceRow(QStringLiteral("daydata"), 1301, Mon)->change, 0);
    // 60 days back is found, but its reference is 0.
    EXPECT_EQ(changeOf(QStringLiteral("daydata"), 1332, Mon), Change(0, 51));
}

TEST_F(DailyImportTest, StoredDateIsKeptWithRDel0AndReplacedWithRDel1)
{
    writeDaily(Mon, {QStringLiteral("1301,0,極洋,100,110,95,105,5000")});
    run(Mon, Mon);
    writeDaily(Mon, {QStringLiteral("1301,0,極洋,100,110,95,107,5000"), QStringLiteral("1332,0,日本水産,50,52,49,51,1000")});

    MainModule::RDel = 0;
    EXPECT_EQ(run(Mon, Mon).message, QStringLiteral("株式データーが存在しません｡"));
    EXPECT_EQ(priceRow(QStringLiteral("daydata"), 1301, Mon)->close, 105);
    EXPECT_EQ(count(QStringLiteral("daydata")), 1);

    MainModule::RDel = 1;
    EXPECT_EQ(run(Mon, Mon).message, QStringLiteral("読み込み終了"));
    EXPECT_EQ(priceRow(QStringLiteral("daydata"), 1301, Mon)->close, 107);
    EXPECT_EQ(count(QStringLiteral("daydata")), 2);
    EXPECT_TRUE(progress.phases.contains(QStringLiteral("データ削除中...")));
}

TEST_F(DailyImportTest, OnlyMarketPositions0_1And5AreStored)
{
    writeDaily(Mon, {QStringLiteral("1001,0,東一,1,1,1,1,1"), QStringLiteral("1002,1,東二,1,1,1,1,1"), QStringLiteral("1003,2,大証,1,1,1,1,1"), QStringLiteral("1004,3,名証,1,1,1,1,1"), QStringLiteral("1005,4,他,1,1,1,1,1"), QStringLiteral("1006,5,店頭,1,1,1,1,1")});
    run(Mon, Mon);
    EXPECT_EQ(rowsOf(QStringLiteral("select コード from daydata order by コード")), QStringList({QStringLiteral("1001"), QStringLiteral("1002"), QStringLiteral("1006")}));
    EXPECT_EQ(rowsOf(QStringLiteral("select コード, 市場コード from Mei order by コード")), QStringList({QStringLiteral("1001,1"), QStringLiteral("1002,2"), QStringLiteral("1006,3")}));
    // Skipped markets are not bad lines.
    EXPECT_TRUE(prompt.messages().isEmpty());
}

TEST_F(DailyImportTest, RegistersNewIssuesCorrectsRenamedOnesAndMarksTheLastFile)
{
    addIssue(1301, 1, QStringLiteral("極洋"), true, 100, 5);
    addIssue(1332, 1, QStringLiteral("日本水産"), true);
    addIssue(1333, 1, QStringLiteral("マルハ"), true);
    writeDaily(Mon, {QStringLiteral("1301,0,極洋,1,1,1,1,1"), QStringLiteral("1333,0,マルハ,1,1,1,1,1")});
    writeDaily(Tue, {QStringLiteral("1301,1,極洋,1,1,1,1,1"), QStringLiteral("1332,0,ﾆｯｽｲ  ,1,1,1,1,1"), QStringLiteral("1400,5,新規上場,1,1,1,1,1")});

    run(Mon, Tue);

    EXPECT_EQ(rowsOf(QStringLiteral("select コード, 市場コード, 銘柄, 出来高単位, 株価単位, 更新Flg from Mei order by コード")),
              QStringList({QStringLiteral("1301,2,極洋,100,5,true"), QStringLiteral("1332,1,ﾆｯｽｲ,1000,1,true"), QStringLiteral("1333,1,マルハ,1000,1,false"), QStringLiteral("1400,3,新規上場,1000,1,true")}));
}

TEST_F(DailyImportTest, AFileDatedOnAWeekendImportsNothingAndMarksNothing)
{
    addIssue(1301, 1, QStringLiteral("極洋"), false);
    writeDaily(Mon, {QStringLiteral("1301,0,極洋,1,1,1,1,1")});
    writeDaily(Sat, {QStringLiteral("1301,0,極洋,1,1,1,1,1"), QStringLiteral("1332,0,日本水産,1,1,1,1,1")});
    const ImportResult weekend = run(Sat, Sat);
    EXPECT_TRUE(weekend.completed);
    EXPECT_EQ(weekend.message, QStringLiteral("株式データーが存在しません｡"));
    EXPECT_EQ(count(QStringLiteral("daydata")), 0);
    EXPECT_EQ(count(QStringLiteral("Mei")), 1);
    // The last file of the range stored nothing: no issue is marked current.
    run(Mon, Sat);
    EXPECT_EQ(count(QStringLiteral("Mei"), QStringLiteral("where 更新Flg=True")), 0);
}

TEST_F(DailyImportTest, EmptyDailyFolderImportsNothingAndLeavesNoMessage)
{
    MainModule::hibiPath.clear();
    const ImportResult result = run(Mon, Fri);
    EXPECT_TRUE(result.message.isEmpty());
    EXPECT_TRUE(result.closeWindow);
    EXPECT_EQ(progress.busyChanges, QList<bool>({true, false}));
}

TEST_F(DailyImportTest, ShowsProgressPhasesAndPercentagesAtMultiplesOfFive)
{
    QStringList records;
    for (int i = 0; i < 40; ++i)
        records << QStringLiteral("%1,0,銘柄%1,10,10,10,10,100").arg(2000 + i);
    writeDaily(Mon, records);
    run(Mon, Mon);
    EXPECT_EQ(progress.phases.mid(0, 4), QStringList({QStringLiteral("前処理中..."), QStringLiteral("銘柄データ読込み中..."), QStringLiteral("前日データ読込み中..."), QStringLiteral("Ds200007.03 処理中.....")}));
    EXPECT_EQ(progress.phases.last(), QStringLiteral("銘柄処理中..."));
    QStringList expected;
    for (int p = 5; p <= 100; p += 5)
        expected << QString::number(p);
    EXPECT_EQ(progress.percents, expected);
}

TEST_F(DailyImportTest, MarginAndWeeklyStepsRunForTheWeeksOfTheRange)
{
    writeDaily(Mon, {QStringLiteral("1301,0,極洋,100,110,95,105,5000")});
    writeDaily(Fri, {QStringLiteral("1301,0,極洋,105,120,100,115,1000")});
    // The margin files of the week before and of this week.
    writeMargin(Fri.addDays(-7), {QStringLiteral("1301,0,0,1,2,1000")});
    writeMargin(Fri, {QStringLiteral("1301,0,0,3,4,1000")});

    run(Mon, Fri, true, true);

    EXPECT_EQ(count(QStringLiteral("shinyo")), 2);
    auto w = priceRow(QStringLiteral("weekdata"), 1301, Fri);
    ASSERT_TRUE(w);
    EXPECT_EQ(w->open, 100);
    EXPECT_EQ(w->high, 120);
    EXPECT_EQ(w->close, 115);
    EXPECT_EQ(w->sell, 3000);
    EXPECT_EQ(w->buy, 4000);
    EXPECT_TRUE(progress.phases.contains(QStringLiteral("週データー作成中...")));
}

// --- malformed input: short lines, bad headers, odd encodings ---

TEST_F(DailyImportTest, ShortLinesAndBadHeadersAreSkippedAndReported)
{
    writeDaily(Mon, {QStringLiteral("1301,0,極洋,100,110,95,105,5000"), QStringLiteral("1332,0,日本水産,50,52"), QStringLiteral("1333,0,ﾏﾙﾊ,1,1,1,1,1")});
    testing_support::writeCp932File(dailyPath(Tue), {QStringLiteral("2000/07/04,1"), QStringLiteral("1301,0,極洋,1,1,1,1,1")});
    testing_support::writeCp932File(dailyPath(Wed), {QStringLiteral("20000705,1"), QStringLiteral("1301,0,極洋,1,1,1,1,1")});

    const ImportResult result = run(Mon, Wed);

    EXPECT_TRUE(result.completed);
    EXPECT_EQ(result.message, QStringLiteral("読み込み終了"));
    EXPECT_EQ(count(QStringLiteral("daydata")), 2);
    ASSERT_EQ(result.skipped.count(), 3);
    EXPECT_EQ(result.skipped.lines()[0].file, QStringLiteral("Ds200007.03"));
    EXPECT_EQ(result.skipped.lines()[0].line, 3);
    EXPECT_EQ(result.skipped.lines()[1].file, QStringLiteral("Ds200007.04"));
    ASSERT_EQ(prompt.messages().size(), 1);
    EXPECT_TRUE(prompt.messages().first().startsWith(QStringLiteral("読み込めない行が 3 行ありました（Ds200007.03 の 3 行目")))
        << prompt.messages().first().toStdString();
}

TEST_F(DailyImportTest, BadIssueCodeEndsTheRunNamingFileLineAndText)
{
    writeDaily(Mon, {QStringLiteral("1301,0,極洋,100,110,95,105,5000")});
    writeDaily(Tue, {QStringLiteral("1301,0,極洋,100,110,95,105,5000"), QStringLiteral("13x2,0,日本水産,1,1,1,1,1"), QStringLiteral("1333,0,ﾏﾙﾊ,1,1,1,1,1")});
    writeDaily(Wed, {QStringLiteral("1301,0,極洋,100,110,95,105,5000")});

    const ImportResult result = run(Mon, Wed, false, true);

    EXPECT_FALSE(result.completed);
    EXPECT_TRUE(result.closeWindow);
    EXPECT_TRUE(result.message.isEmpty());
    ASSERT_EQ(prompt.messages().size(), 1);
    EXPECT_EQ(prompt.messages().first(), QStringLiteral("Ds200007.04 の 3 行目: 銘柄コード '13x2' を読み込めません。"));
    // The file before stays, the bad file is taken back whole; the weekly step did not run.
    EXPECT_EQ(count(QStringLiteral("daydata")), 1);
    EXPECT_EQ(count(QStringLiteral("weekdata")), 0);

    writeDaily(Thu, {QStringLiteral("10000,0,極洋,100,110,95,105,5000")}); // codes have four digits
    EXPECT_FALSE(run(Thu, Thu).completed);
    EXPECT_EQ(count(QStringLiteral("daydata")), 1);
}

TEST_F(DailyImportTest, ADatabaseErrorInsideADayKeepsTheDaysBeforeItAndNothingOfThatDay)
{
    // One run commits these days together; Wednesday fails at its third row, after two were written.
    writeDaily(Mon, {QStringLiteral("1301,0,極洋,100,110,95,105,5000"), QStringLiteral("1302,0,不良")});
    writeDaily(Tue, {QStringLiteral("1301,0,極洋,100,110,95,106,5000")});
    writeDaily(Wed, {QStringLiteral("1301,0,極洋,100,110,95,107,5000"), QStringLiteral("1332,0,日本水産,50,52,49,51,1000"), QStringLiteral("1333,0,ﾏﾙﾊ,1,1,1,1,1")});
    writeDaily(Thu, {QStringLiteral("1301,0,極洋,100,110,95,108,5000")});
    {
        db::Database database(MainModule::DBPath);
        database.executeRaw(QStringLiteral("CREATE TRIGGER failing_row BEFORE INSERT ON dayData WHEN NEW.コード=1333 "
                                           "BEGIN SELECT RAISE(ABORT, 'the disk failed'); END"));
    }

    const ImportResult result = run(Mon, Thu);

    EXPECT_FALSE(result.completed);
    EXPECT_EQ(result.storedRecords, 2);
    ASSERT_EQ(prompt.messages().size(), 2);
    EXPECT_TRUE(prompt.messages().first().contains(QStringLiteral("the disk failed"))) << prompt.messages().first().toStdString();
    EXPECT_TRUE(prompt.messages().last().startsWith(QStringLiteral("読み込めない行が 1 行ありました"))) << prompt.messages().last().toStdString();
    EXPECT_EQ(dates(QStringLiteral("daydata"), 1301), QList<QDate>({Mon, Tue}));
    EXPECT_EQ(count(QStringLiteral("daydata")), 2);
    EXPECT_EQ(count(QStringLiteral("Mei")), 1); // 1332 and 1333 came with Wednesday

    {
        db::Database database(MainModule::DBPath);
        database.executeRaw(QStringLiteral("DROP TRIGGER failing_row"));
    }
    EXPECT_TRUE(run(Wed, Thu).completed);
    EXPECT_EQ(changeOf(QStringLiteral("daydata"), 1301, Wed), Change(1, 107));
    EXPECT_EQ(changeOf(QStringLiteral("daydata"), 1301, Thu), Change(1, 108));
    EXPECT_EQ(count(QStringLiteral("daydata")), 6);
}

TEST_F(DailyImportTest, FileWhoseRecordsDisagreeWithItsHeaderEndsTheRunBeforeAnythingOfItIsWritten)
{
    writeDaily(Mon, {QStringLiteral("1301,0,極洋,100,110,95,105,5000")});
    // Cut short: three announced, two there. The day's stored row must survive RDel 1.
    writeDaily(Tue, {QStringLiteral("1301,0,極洋,100,110,95,106,5000"), QStringLiteral("1332,0,日本水産,50,52,49,51,1000")}, 3);
    writeDaily(Wed, {QStringLiteral("1301,0,極洋,100,110,95,107,5000")});
    execute(QStringLiteral("insert into daydata (コード, 日付, 終値, 出来高) values (1333, #2000/07/04#, 9, 1)"));
    MainModule::RDel = 1;

    const ImportResult result = run(Mon, Wed);

    EXPECT_FALSE(result.completed);
    EXPECT_TRUE(result.message.isEmpty());
    ASSERT_EQ(prompt.messages().size(), 1);
    EXPECT_EQ(prompt.messages().first(), QStringLiteral("Ds200007.04 を読み込みません（見出しの件数は 3 件ですが、記録は 2 行です）。"
                                                        "正しいファイルに替えてから、この日付から読み込み直して下さい。"));
    EXPECT_EQ(table(QStringLiteral("daydata"), QStringLiteral("日付")).size(), 2); // Monday's row and the old one
    EXPECT_TRUE(priceRow(QStringLiteral("daydata"), 1301, Mon));
    EXPECT_EQ(priceRow(QStringLiteral("daydata"), 1333, Tue)->close, 9);

    // More records than announced is refused the same way.
    writeDaily(Tue, {QStringLiteral("1301,0,極洋,100,110,95,106,5000"), QStringLiteral("1332,0,日本水産,50,52,49,51,1000")}, 1);
    EXPECT_FALSE(run(Tue, Tue).completed);
    EXPECT_TRUE(prompt.messages().last().contains(QStringLiteral("見出しの件数は 1 件ですが、記録は 2 行です")));
    EXPECT_FALSE(priceRow(QStringLiteral("daydata"), 1301, Tue));

    // A file of a date already stored is not read with RDel 0, so its count does not matter.
    MainModule::RDel = 0;
    EXPECT_TRUE(run(Mon, Tue).completed);
    EXPECT_EQ(prompt.messages().size(), 2);
}

TEST_F(DailyImportTest, ToleratesOddButReadableFiles)
{
    // UTF-8 with a byte order mark and LF line ends, trailing blanks, a long name, a blank line
    // that is not counted, extra fields.
    QFile f(dailyPath(Mon));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QStringLiteral("\xFEFF"
                           "20000703,2,0  \n1301 , 0 , 極洋株式会社ホールディングスグループ本社ビル , 100 , 110 , 95 , 105 , 5000 , x  \n\n1332,0,日本水産,50,52,49,51,1000\n")
                .toUtf8());
    f.close();
    // Empty and header-only files.
    testing_support::writeCp932File(dailyPath(Wed), {});
    writeDaily(Thu, {});

    const ImportResult result = run(Mon, Thu);

    EXPECT_TRUE(result.completed);
    EXPECT_EQ(count(QStringLiteral("daydata"), QStringLiteral("where 日付=#2000/07/03#")), 2);
    auto r = priceRow(QStringLiteral("daydata"), 1301, Mon);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->close, 105);
    db::Database database(MainModule::DBPath);
    EXPECT_EQ(database.scalar(QStringLiteral("select 銘柄 from Mei where コード=1301")).toString(), QStringLiteral("極洋株式会社ホールディングスグループ本社"));
    // The empty file has no header; the header-only file is fine.
    ASSERT_EQ(result.skipped.count(), 1);
    EXPECT_EQ(result.skipped.lines()[0].file, QStringLiteral("Ds200007.05"));
}

TEST_F(DailyImportTest, NonNumericFieldsReadAsZeroAndADuplicateRecordIsPassedOver)
{
    writeDaily(Mon, {QStringLiteral("1301,0,極洋,abc,110,95,105,"), QStringLiteral("1332,0,日本水産,-,52,49,51,1000"), QStringLiteral("1332,0,日本水産,1,1,1,1,1")});
    const ImportResult result = run(Mon, Mon);
    EXPECT_TRUE(result.completed);
    EXPECT_EQ(result.storedRecords, 2);
    EXPECT_EQ(priceRow(QStringLiteral("daydata"), 1301, Mon)->close, 0); // no volume: no trade
    const auto r = priceRow(QStringLiteral("daydata"), 1332, Mon);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->open, 0);
    EXPECT_EQ(r->close, 51);
}

TEST_F(DailyImportTest, NextDayAfterAnAlreadyStoredDayTakesItsReferenceFromTheTable)
{
    writeDaily(Mon, {QStringLiteral("1301,0,極洋,100,110,95,105,5000")});
    run(Mon, Mon);
    execute(QStringLiteral("update daydata set 基準前日比=100 where コード=1301"));
    writeDaily(Tue, {QStringLiteral("1301,0,極洋,100,110,95,108,5000")});
    for (const int rdel : {0, 1}) {
        MainModule::RDel = std::int16_t(rdel);
        execute(QStringLiteral("delete * from daydata where 日付=#2000/07/04#"));
        run(Mon, Tue);
        // RDel 0 keeps Monday's stored row; RDel 1 stores it again from the file.
        EXPECT_EQ(priceRow(QStringLiteral("daydata"), 1301, Tue)->change, rdel == 0 ? 8 : 3) << rdel;
    }
}

} // namespace
