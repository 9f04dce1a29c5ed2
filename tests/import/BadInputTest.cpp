// Files as users bring them: UTF-8 without a mark, Windows letter case, numbers beyond their
// columns, broken headers and counts, and fields too long to echo.

#include "ImportFixture.h"

#include "import/DailyImport.h"
#include "import/ImportPaths.h"
#include "import/ImportRun.h"
#include "import/InputProblems.h"
#include "import/MarginImport.h"
#include "import/Registration.h"

#include <QFile>

using namespace import_test;
using importer::ImportContext;
using importer::ImportResult;

namespace {

const QDate Mon(2000, 7, 3), Tue(2000, 7, 4), Fri(2000, 7, 7);

class BadInputTest : public ImportFixture
{
protected:
    ImportResult runDaily(QDate from, QDate to)
    {
        ImportContext context{progress, prompt};
        return importer::ImportDailyFiles(importer::DailyImportRequest::fromSettings(from, to, false, false), context);
    }

    QString nameOf(qint64 code) { return scalar(QStringLiteral("select 銘柄 from Mei where コード=%1").arg(code)).toString(); }

    QStringList reasons(const ImportResult &r)
    {
        QStringList out;
        for (const auto &s : r.skipped.lines())
            out << QStringLiteral("%1:%2 %3").arg(s.file).arg(s.line).arg(s.reason);
        return out;
    }
};

TEST_F(BadInputTest, Utf8WithoutMarkKeepsJapaneseNamesAndBadBytesAreReportedNotStored)
{
    const QByteArray utf8 = QStringLiteral("20000703,3,0\r\n1301,0,極洋,100,110,95,105,5000\r\n").toUtf8()
        + QByteArray("1332,0,\xE6\x97\xA5\xFF,1,1,1,1,1\r\n") + QStringLiteral("1333,0,ﾏﾙﾊﾆﾁﾛ,1,1,1,1,1\r\n").toUtf8();
    testing_support::writeFileBytes(dailyPath(Mon), utf8);
    testing_support::writeFileBytes(importer::registrationFilePath(),
                                    QStringLiteral("20000714,1\r\n1605,1,国際石油開発帝石,100,1\r\n").toUtf8());

    const ImportResult daily = runDaily(Mon, Mon);
    ImportContext context{progress, prompt};
    const ImportResult regist = importer::ImportRegistration(context);

    EXPECT_EQ(nameOf(1301), QStringLiteral("極洋"));
    EXPECT_EQ(nameOf(1333), QStringLiteral("ﾏﾙﾊﾆﾁﾛ"));
    EXPECT_EQ(nameOf(1605), QStringLiteral("国際石油開発帝石"));
    EXPECT_EQ(count(QStringLiteral("daydata"), QStringLiteral("where コード=1332")), 0);
    EXPECT_EQ(reasons(daily), QStringList(QStringLiteral("Ds200007.03:3 文字コードが Shift_JIS でも UTF-8 でもありません")));
    EXPECT_TRUE(regist.completed);
}

TEST_F(BadInputTest, FileNamesAndTheDataFolderMatchWithoutRegardToCase)
{
    testing_support::writeCp932File(importer::fileIn(MainModule::hibiPath, QStringLiteral("DS200007.03")),
                                    {QStringLiteral("20000703,1,0"), QStringLiteral("1301,0,極洋,100,110,95,105,5000")});
    testing_support::writeCp932File(importer::fileIn(MainModule::sinyoPath, QStringLiteral("ys200007.07")),
                                    {QStringLiteral("20000707"), QStringLiteral("1,"), QStringLiteral("1301,0,極洋,10,20,1000")});
    QDir program(folder.path());
    ASSERT_TRUE(program.rename(QStringLiteral("Data"), QStringLiteral("data")));
    testing_support::writeCp932File(folder.filePath(QStringLiteral("data/REGIST.MEI")),
                                    {QStringLiteral("20000714,1"), QStringLiteral("1332,1,日本水産,1000,1")});

    EXPECT_TRUE(runDaily(Mon, Mon).completed);
    EXPECT_EQ(count(QStringLiteral("daydata")), 1);
    importer::SkipReport skipped;
    EXPECT_TRUE(importer::ImportMarginBalances(Mon, Fri, MainModule::sinyoPath, progress, &skipped));
    ImportContext context{progress, prompt};
    EXPECT_TRUE(importer::ImportRegistration(context).completed);
    EXPECT_EQ(nameOf(1332), QStringLiteral("日本水産"));
    EXPECT_FALSE(QFile::exists(folder.filePath(QStringLiteral("data/REGIST.MEI"))));
}

TEST_F(BadInputTest, NumbersBeyondTheirColumnsSkipTheirLineInsteadOfWrappingOrEndingTheRun)
{
    addPrice(QStringLiteral("daydata"), 1305, Mon.addDays(-3), 10, 10, 10, 2147483647, 1, 0, 2147483647);
    writeDaily(Mon, {QStringLiteral("1301,0,極洋,100,110,95,105,922337203685478"), QStringLiteral("1332,0,日本水産,1,1,1,2147483648,10"), QStringLiteral("1333,0,ﾏﾙﾊ,1,1,1,1,1e300"), QStringLiteral("1305,0,大東,1,1,1,-2147483648,10"), QStringLiteral("1306,0,正常,1,1,1,1,922337203685477")});

    const ImportResult result = runDaily(Mon, Mon);

    EXPECT_TRUE(result.completed);
    EXPECT_EQ(reasons(result), QStringList({QStringLiteral("Ds200007.03:2 出来高 '922337203685478' が範囲外です"), QStringLiteral("Ds200007.03:3 終値 '2147483648' が範囲外です"), QStringLiteral("Ds200007.03:4 出来高 '1e300' が範囲外です"), QStringLiteral("Ds200007.03:5 前日比が範囲外です")}));
    EXPECT_EQ(count(QStringLiteral("daydata"), QStringLiteral("where 日付=#2000/07/03#")), 1);
    EXPECT_EQ(priceRow(QStringLiteral("daydata"), 1306, Mon)->volume, QStringLiteral("922337203685477"));
}

TEST_F(BadInputTest, HeaderDatesThatAreNoDateAreReportedAsSuch)
{
    writeDaily(Mon, {QStringLiteral("1301,0,極洋,1,1,1,1,1")}, -1, QDate(2000, 13, 1));
    testing_support::writeCp932File(dailyPath(Tue), {QStringLiteral("00011102,1,0"), QStringLiteral("1301,0,極洋,1,1,1,1,1")});
    testing_support::writeCp932File(dailyPath(Fri), {QStringLiteral("20000707,many,0"), QStringLiteral("1301,0,極洋,1,1,1,1,1")});
    testing_support::writeCp932File(dailyPath(Mon), {QStringLiteral("20001301,1,0"), QStringLiteral("1301,0,極洋,1,1,1,1,1")});

    const ImportResult result = runDaily(Mon, Fri);

    EXPECT_TRUE(result.completed);
    EXPECT_EQ(reasons(result), QStringList({QStringLiteral("Ds200007.03:1 見出し行の日付 '20001301' が正しくありません"), QStringLiteral("Ds200007.04:1 見出し行の日付 '00011102' が正しくありません"), QStringLiteral("Ds200007.07:1 見出し行の件数 'many' が数値ではありません")}));
    EXPECT_EQ(count(QStringLiteral("daydata")), 0);
}

TEST_F(BadInputTest, MarginProblemsNameFileAndLineAndKeepTheGoodRecords)
{
    addIssue(1301, 1, QStringLiteral("極洋"));
    addPrice(QStringLiteral("weekdata"), 1301, Fri, 1, 1, 1, 1, 1);
    testing_support::writeCp932File(marginPath(Fri), {QStringLiteral("20000707"), QStringLiteral("ten,"), QStringLiteral("1301,0,極洋,10,20,1000"), QStringLiteral("1301,0,極洋,11,21,1000"), QStringLiteral("1332,0,日本水産,3000000,1,1000"), QStringLiteral("1333,0,ﾏﾙﾊ,1,1,1")});
    importer::SkipReport skipped;

    EXPECT_TRUE(importer::ImportMarginBalances(Mon, Fri, MainModule::sinyoPath, progress, &skipped));

    ImportResult r;
    r.skipped = skipped;
    EXPECT_EQ(reasons(r), QStringList({QStringLiteral("Ys200007.07:2 件数 'ten' が数値ではありません"), QStringLiteral("Ys200007.07:4 銘柄コード 1301 が重複しています"), QStringLiteral("Ys200007.07:5 売残・買残 × 単位が範囲外です")}));
    EXPECT_EQ(count(QStringLiteral("shinyo")), 2);
    EXPECT_EQ(priceRow(QStringLiteral("weekdata"), 1301, Fri)->sell, 10000);
}

TEST_F(BadInputTest, AHugeBadFieldIsEchoedCut)
{
    const QString huge(5 * 1024 * 1024, QLatin1Char('x'));
    writeDaily(Mon, {QStringLiteral("1301,0,極洋,1,1,1,1,1"), huge + QStringLiteral(",0,巨大,1,1,1,1,1")});

    const ImportResult result = runDaily(Mon, Mon);

    EXPECT_FALSE(result.completed);
    EXPECT_LT(result.errorDescription.size(), 200);
    EXPECT_TRUE(result.errorDescription.startsWith(QStringLiteral("Ds200007.03 の 3 行目: 銘柄コード 'xxxx")));
}

TEST_F(BadInputTest, ReadingAgainOverImportedFilesSucceedsAndKeepsTheFlags)
{
    // A holiday week's margin file is dated on its Tuesday and stored under the Friday.
    writeMargin(Tue, {QStringLiteral("1301,0,極洋,10,20,1000")});
    importer::SkipReport skipped;
    ASSERT_TRUE(importer::ImportMarginBalances(Mon, Fri, MainModule::sinyoPath, progress, &skipped));
    EXPECT_TRUE(importer::ImportMarginBalances(Mon, Fri, MainModule::sinyoPath, progress, &skipped));
    EXPECT_EQ(count(QStringLiteral("shinyo"), QStringLiteral("where 日付=#2000/07/07#")), 1);

    writeDaily(Mon, {QStringLiteral("1301,0,極洋,100,110,95,105,5000")});
    ASSERT_TRUE(runDaily(Mon, Mon).completed);
    EXPECT_EQ(count(QStringLiteral("mei"), QStringLiteral("where 更新Flg=True")), 1);
    // The same range again: the file is already stored, so nothing says which issues are current.
    EXPECT_TRUE(runDaily(Mon, Mon).completed);
    EXPECT_EQ(count(QStringLiteral("mei"), QStringLiteral("where 更新Flg=True")), 1);
}

TEST_F(BadInputTest, AFileThatEndsTheRunIsTakenBackWholeAndImportsOnceCorrected)
{
    writeDaily(Mon, {QStringLiteral("1301,0,極洋,100,110,95,105,5000")});
    writeDaily(Tue, {QStringLiteral("1301,0,極洋,101,111,96,106,5000"), QStringLiteral("13O1,0,誤り,1,1,1,1,1")});
    writeMargin(Fri, {QStringLiteral("1301,0,極洋,10,20,1000")});
    importer::SkipReport skipped;
    ASSERT_TRUE(importer::ImportMarginBalances(Mon, Fri, MainModule::sinyoPath, progress, &skipped));
    writeMargin(Fri, {QStringLiteral("1301,0,極洋,11,21,1000"), QStringLiteral("1332,0,日本水産,x,1,1")});

    EXPECT_FALSE(runDaily(Mon, Tue).completed);
    try {
        importer::ImportMarginBalances(Mon, Fri, MainModule::sinyoPath, progress, &skipped);
        ADD_FAILURE() << "the margin import went on";
    } catch (const importer::InputError &e) {
        EXPECT_EQ(e.description(), QStringLiteral("Ys200007.07 の 4 行目: 売残 'x' を読み込めません。"));
    }

    EXPECT_EQ(dates(QStringLiteral("daydata"), 1301), QList<QDate>{Mon});
    EXPECT_EQ(scalar(QStringLiteral("select 売残 from shinyo where コード=1301")).toLongLong(), 10)
        << "the Friday's earlier balances stay";
    writeDaily(Tue, {QStringLiteral("1301,0,極洋,101,111,96,106,5000"), QStringLiteral("1302,0,正しい,1,1,1,1,1")});
    const ImportResult corrected = runDaily(Tue, Tue);
    EXPECT_TRUE(corrected.completed);
    EXPECT_EQ(corrected.message, QStringLiteral("読み込み終了"));
    EXPECT_EQ(count(QStringLiteral("daydata"), QStringLiteral("where 日付=#2000/07/04#")), 2);
}

} // namespace
