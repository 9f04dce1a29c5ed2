// The margin import: Friday and other-day files, clearing of weekly balances, the N + 1 reading.

#include "ImportFixture.h"

#include "import/InputProblems.h"
#include "import/MarginImport.h"

using namespace import_test;

namespace {

const QDate Mon(2000, 7, 10), Wed(2000, 7, 12), Fri(2000, 7, 14), Sat(2000, 7, 15), Sun(2000, 7, 9);

class MarginImportTest : public ImportFixture
{
protected:
    bool run(const QDate &from, const QDate &to)
    {
        return importer::ImportMarginBalances(from, to, MainModule::sinyoPath, progress, &skipped);
    }
    QStringList shinyo() { return rowsOf(QStringLiteral("select コード, 日付, 売残, 買残, 単位 from ShinYo order by 日付, コード")); }
    std::optional<PriceRow> week(qint64 code) { return priceRow(QStringLiteral("weekdata"), code, Fri); }
    importer::SkipReport skipped;
};

TEST_F(MarginImportTest, FridayFileReplacesTheDayAndClearsWeeklyBalances)
{
    execute(QStringLiteral("insert into ShinYo (コード, 日付, 売残, 買残, 単位) values (1301, #2000/07/14#, 9, 9, 1)"));
    execute(QStringLiteral("insert into ShinYo (コード, 日付, 売残, 買残, 単位) values (1332, #2000/07/14#, 9, 9, 1)"));
    addPrice(QStringLiteral("weekdata"), 1301, Fri, 1, 1, 1, 1, 1);
    addPrice(QStringLiteral("weekdata"), 1332, Fri, 1, 1, 1, 1, 1);
    execute(QStringLiteral("update weekdata set 売残=7, 買残=7"));
    writeMargin(Fri, {QStringLiteral("1301,極洋,x,12,34,1000"), QStringLiteral("1400,新規,x,1,2,100")});

    EXPECT_TRUE(run(Mon, Fri));

    EXPECT_EQ(shinyo(), QStringList({QStringLiteral("1301,2000-07-14,12,34,1000"), QStringLiteral("1400,2000-07-14,1,2,100")}));
    EXPECT_EQ(week(1301)->sell, 12000);
    EXPECT_EQ(week(1301)->buy, 34000);
    // Missing from the new file: zero balances.
    EXPECT_EQ(week(1332)->sell, 0);
    EXPECT_EQ(week(1332)->buy, 0);
    // A weekly row that is not there is not made.
    EXPECT_EQ(count(QStringLiteral("weekdata")), 2);
    EXPECT_EQ(progress.phases, QStringList({QStringLiteral("Ys200007.14 処理中.....")}));
    EXPECT_TRUE(skipped.isEmpty());
}

TEST_F(MarginImportTest, FileOffAFridayIsStoredUnderTheFollowingFriday)
{
    execute(QStringLiteral("insert into ShinYo (コード, 日付, 売残, 買残, 単位) values (1301, #2000/07/12#, 9, 9, 1)"));
    execute(QStringLiteral("insert into ShinYo (コード, 日付, 売残, 買残, 単位) values (1332, #2000/07/14#, 9, 9, 1)"));
    writeMargin(Wed, {QStringLiteral("1301,a,b,5,6,10")});
    EXPECT_TRUE(run(Mon, Fri));
    // The Friday the file is stored under is what it replaces.
    EXPECT_EQ(shinyo(), QStringList({QStringLiteral("1301,2000-07-12,9,9,1"), QStringLiteral("1301,2000-07-14,5,6,10")}));
}

TEST_F(MarginImportTest, ReadsOnlyTheDaysOfThePeriod)
{
    writeMargin(Sun, {QStringLiteral("1001,a,b,1,1,1")});
    writeMargin(Mon, {QStringLiteral("1002,a,b,1,1,1")});
    writeMargin(Sat, {QStringLiteral("1004,a,b,1,1,1")});
    EXPECT_TRUE(run(Mon, Fri));
    EXPECT_EQ(shinyo(), QStringList({QStringLiteral("1002,2000-07-14,1,1,1")}));
    EXPECT_FALSE(run(Sat.addDays(1), Sat.addDays(6)));
    EXPECT_FALSE(importer::ImportMarginBalances(Mon, Fri, QString(), progress)); // no folder
}

TEST_F(MarginImportTest, ReadingEndsOneRecordPastTheCountOrAtANonNumericCode)
{
    writeMargin(Fri, {QStringLiteral("1001,a,b,1,1,1"), QStringLiteral("1002,a,b,1,1,1"), QStringLiteral("1003,a,b,1,1,1"), QStringLiteral("1004,a,b,1,1,1")},
                2);
    run(Fri, Fri);
    EXPECT_EQ(count(QStringLiteral("ShinYo")), 3);

    writeMargin(Fri, {QStringLiteral("1001,a,b,1,1,1"), QStringLiteral("合計,a,b,1,1,1"), QStringLiteral("1003,a,b,1,1,1")});
    EXPECT_TRUE(run(Fri, Fri));
    EXPECT_EQ(shinyo(), QStringList({QStringLiteral("1001,2000-07-14,1,1,1")}));
}

TEST_F(MarginImportTest, ShortRecordsAndACountLineWithoutCommaAreReported)
{
    testing_support::writeCp932File(marginPath(Fri), {QStringLiteral("20000714"), QStringLiteral("3"), QStringLiteral("1001,a,b,1,1,1"), QStringLiteral("1002,a,b,1"), QStringLiteral("1003,a,b,2,2,2"), QStringLiteral("1004,a,b,3,3,3")});
    EXPECT_TRUE(run(Fri, Fri));
    // Without a count the whole file is read.
    EXPECT_EQ(count(QStringLiteral("ShinYo")), 3);
    ASSERT_EQ(skipped.count(), 2);
    EXPECT_EQ(skipped.lines()[0].line, 2);
    EXPECT_EQ(skipped.lines()[1].line, 4);
    EXPECT_EQ(skipped.lines()[1].file, QStringLiteral("Ys200007.14"));
}

TEST_F(MarginImportTest, OddFilesNeitherCrashNorLoseTheReadableRecords)
{
    // Empty: reported, nothing deleted. Date only: the day is cleared, nothing stored.
    testing_support::writeCp932File(marginPath(Mon), {});
    testing_support::writeCp932File(marginPath(Wed), {QStringLiteral("20000712")});
    // LF line ends and trailing blanks.
    testing_support::writeCp932File(marginPath(Fri), {QStringLiteral(" 20000714 "), QStringLiteral("2 , x"), QStringLiteral("1001 ,a,b, 1 ,2 ,3  "), QStringLiteral("1002,a,b,4,5,6")},
                                    QStringLiteral("\n"));
    EXPECT_TRUE(run(Mon, Fri));
    EXPECT_EQ(shinyo(), QStringList({QStringLiteral("1001,2000-07-14,1,2,3"), QStringLiteral("1002,2000-07-14,4,5,6")}));
    ASSERT_EQ(skipped.count(), 1);
    EXPECT_EQ(skipped.lines()[0].file, QStringLiteral("Ys200007.10"));
}

} // namespace
