// The import commands of miravel-batch: exit statuses, the result message as the last stdout line,
// refusals with the windows' messages.

#include "BatchTestSupport.h"
#include "import/ImportFixture.h"

#include "base/Settings.h"
#include "import/Registration.h"

#include <QFile>

using namespace batch_test;
using namespace import_test;

namespace {

class BatchCommandsTest : public ImportFixture
{
protected:
    void SetUp() override
    {
        ImportFixture::SetUp();
        if (testing_support::batchToolPath().isEmpty())
            GTEST_SKIP() << "miravel-batch was not built beside the tests";
        ASSERT_TRUE(Settings::WriteSettings(Settings::currentValues(), true));
    }

    BatchRun batch(const QStringList &arguments, rlim_t fileSizeLimit = 0) { return runBatch(folder.path(), arguments, fileSizeLimit); }
};

TEST_F(BatchCommandsTest, AMissingSettingsFileIsRecreatedAsAtStart)
{
    ASSERT_TRUE(QFile::remove(MainModule::IniPath));
    testing_support::writeCp932File(folder.filePath(QStringLiteral("Data/Ds200007.03")),
                                    {QStringLiteral("20000703,1,0"), QStringLiteral("1301,0,極洋,100,110,95,105,5000")});

    BatchRun r = batch({QStringLiteral("import-daily"), QStringLiteral("00/07/03"), QStringLiteral("00/07/03")});

    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(QFile::exists(MainModule::IniPath));
    EXPECT_EQ(count(QStringLiteral("daydata")), 1);
}

TEST_F(BatchCommandsTest, ImportDailyPrintsTheResultMessage)
{
    writeDaily(QDate(2000, 7, 3), {QStringLiteral("1301,0,極洋,100,110,95,105,5000")});
    writeDaily(QDate(2000, 7, 7), {QStringLiteral("1301,0,極洋,105,120,100,115,1000")});
    writeMargin(QDate(2000, 7, 7), {QStringLiteral("1301,0,0,3,4,1000")});

    BatchRun r = batch({QStringLiteral("import-daily"), QStringLiteral("00/07/03"), QStringLiteral("2000-07-07"),
                        QStringLiteral("--margin"), QStringLiteral("--weekly")});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    ASSERT_FALSE(r.out.isEmpty());
    EXPECT_EQ(r.out.last(), QStringLiteral("読み込み終了"));
    // Progress stays off a stderr that is not a terminal.
    EXPECT_EQ(r.err, QString());
    EXPECT_EQ(count(QStringLiteral("daydata")), 2);
    EXPECT_EQ(priceRow(QStringLiteral("weekdata"), 1301, QDate(2000, 7, 7))->sell, 3000);
}

TEST_F(BatchCommandsTest, ImportDailyErrorAndSkippedLinesGoToStderr)
{
    writeDaily(QDate(2000, 7, 3), {QStringLiteral("1301,0,極洋,100"), QStringLiteral("1332,0,日本水産,1,1,1,1,1")});
    BatchRun r = batch({QStringLiteral("import-daily"), QStringLiteral("2000-07-03"), QStringLiteral("2000-07-03")});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out.last(), QStringLiteral("読み込み終了"));
    EXPECT_TRUE(r.err.contains(QStringLiteral("Ds200007.03 の 2 行目"))) << r.err.toStdString();

    writeDaily(QDate(2000, 7, 4), {QStringLiteral("x,0,極洋,1,1,1,1,1")});
    r = batch({QStringLiteral("import-daily"), QStringLiteral("2000-07-04"), QStringLiteral("2000-07-04")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(r.err.contains(QStringLiteral("Ds200007.04 の 2 行目: 銘柄コード 'x' を読み込めません。"))) << r.err.toStdString();

    // A file cut short is not imported in part.
    writeDaily(QDate(2000, 7, 5), {QStringLiteral("1301,0,極洋,1,1,1,1,1")}, 757);
    r = batch({QStringLiteral("import-daily"), QStringLiteral("2000-07-05"), QStringLiteral("2000-07-05")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("Ds200007.05 を読み込みません（見出しの件数は 757 件ですが、記録は 1 行です）。")))
        << r.err.toStdString();
    EXPECT_EQ(count(QStringLiteral("daydata"), QStringLiteral("where 日付=#2000/07/05#")), 0);
}

TEST_F(BatchCommandsTest, ImportRegistrationReadsTheFile)
{
    testing_support::writeCp932File(importer::registrationFilePath(), {QStringLiteral("0,1"), QStringLiteral("1301,1,ｷｮｸﾖｳ,1000,1")});
    const BatchRun r = batch({QStringLiteral("import-registration")});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out.last(), QStringLiteral("読み込み終了"));
    EXPECT_EQ(count(QStringLiteral("Mei")), 1);
}

// A write the system refuses ends the import with the database's message and exit status 1; the
// day is stored whole or not at all, and the registration file stays until its rows are stored.
TEST_F(BatchCommandsTest, ImportsThatCannotWriteFailLoudly)
{
    QStringList records;
    QStringList issues{QStringLiteral("0,3600")};
    for (int code = 1000; code < 4600; ++code) {
        records << QStringLiteral("%1,0,銘柄%1,100,110,95,105,5000").arg(code);
        issues << QStringLiteral("%1,1,ﾒｲｶﾞﾗ%1,1000,1").arg(code);
    }
    writeDaily(QDate(2000, 7, 3), records);
    const rlim_t limit = 64 * 1024;
    BatchRun r = batch({QStringLiteral("import-daily"), QStringLiteral("2000-07-03"), QStringLiteral("2000-07-03")}, limit);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_FALSE(r.out.contains(QStringLiteral("読み込み終了")));
    EXPECT_TRUE(r.err.contains(QStringLiteral("書き込めません"))) << r.err.toStdString();
    EXPECT_EQ(count(QStringLiteral("daydata")), 0);

    testing_support::writeCp932File(importer::registrationFilePath(), issues);
    r = batch({QStringLiteral("import-registration")}, limit);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("書き込めません"))) << r.err.toStdString();
    EXPECT_TRUE(QFile::exists(importer::registrationFilePath()));
    EXPECT_EQ(count(QStringLiteral("Mei")), 0);

    r = batch({QStringLiteral("import-registration")});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(count(QStringLiteral("Mei")), 3600);
    EXPECT_FALSE(QFile::exists(importer::registrationFilePath()));
}

struct RefusalCase
{
    const char *name;
    QStringList arguments;
    int exitCode;
    QString lastLine; // empty: nothing on stdout
};

class BatchRefusalTest : public BatchCommandsTest, public ::testing::WithParamInterface<RefusalCase>
{
};

TEST_P(BatchRefusalTest, RefusesWithTheWindowsMessageOrUsage)
{
    const BatchRun r = batch(GetParam().arguments);
    EXPECT_EQ(r.exitCode, GetParam().exitCode) << r.err.toStdString();
    if (GetParam().lastLine.isEmpty()) {
        EXPECT_TRUE(r.out.isEmpty());
        EXPECT_FALSE(r.err.isEmpty());
    } else {
        ASSERT_FALSE(r.out.isEmpty());
        EXPECT_EQ(r.out.last(), GetParam().lastLine);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Commands, BatchRefusalTest,
    ::testing::Values(
        RefusalCase{"WeeklyStartNotMonday", {"build-weekly", "2000-07-04", "2000-07-07"}, 2, QStringLiteral("期間自は必ず月曜日を指定して下さい。")},
        RefusalCase{"MarginEndNotFriday", {"import-margin", "00/07/03", "00/07/06"}, 2, QStringLiteral("期間至は必ず金曜日を指定して下さい。")},
        RefusalCase{"ReversedRange", {"import-daily", "2000-07-07", "2000-07-03"}, 2, QStringLiteral("日付の範囲が誤っています。")},
        RefusalCase{"MissingDate", {"import-daily", "2000-07-07"}, 2, QString()},
        RefusalCase{"NotADate", {"build-weekly", "2000-13-03", "2000-07-07"}, 2, QString()},
        RefusalCase{"UnknownTable", {"recalc", "monthly", "2000-07-03"}, 2, QString()},
        RefusalCase{"ExtraArgument", {"import-registration", "now"}, 2, QString()}),
    [](const ::testing::TestParamInfo<RefusalCase> &info) { return std::string(info.param.name); });

TEST_F(BatchCommandsTest, WeeklyMarginAndRecalcPrintTheirWindowsMessages)
{
    addIssue(1301, 1, QStringLiteral("極洋"));
    addPrice(QStringLiteral("daydata"), 1301, QDate(2000, 7, 3), 100, 100, 100, 100, 10);
    addPrice(QStringLiteral("daydata"), 1301, QDate(2000, 7, 4), 110, 110, 110, 110, 10);

    BatchRun r = batch({QStringLiteral("build-weekly"), QStringLiteral("2000-07-03"), QStringLiteral("2000-07-07")});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out.last(), QStringLiteral("週データーの作成終了しました。"));
    EXPECT_EQ(count(QStringLiteral("weekdata")), 1);

    r = batch({QStringLiteral("import-margin"), QStringLiteral("2000-07-03"), QStringLiteral("2000-07-07")});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out.last(), QStringLiteral("信用データーが存在しませんでした。"));
    writeMargin(QDate(2000, 7, 7), {QStringLiteral("1301,0,0,3,4,1000")});
    r = batch({QStringLiteral("import-margin"), QStringLiteral("2000-07-03"), QStringLiteral("2000-07-07")});
    EXPECT_EQ(r.out.last(), QStringLiteral("信用データーの読込み終了しました。"));
    EXPECT_EQ(priceRow(QStringLiteral("weekdata"), 1301, QDate(2000, 7, 7))->buy, 4000);

    r = batch({QStringLiteral("recalc"), QStringLiteral("daily"), QStringLiteral("00/07/01")});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out.last(), QStringLiteral("前日差再計算終了しました。"));
    EXPECT_EQ(priceRow(QStringLiteral("daydata"), 1301, QDate(2000, 7, 4))->change, 10);
}

TEST_F(BatchCommandsTest, FolderWithoutDatabaseIsAnError)
{
    testing_support::TempProgramFolder other;
    EXPECT_EQ(runBatch(other.path(), {QStringLiteral("build-weekly"), QStringLiteral("2000-07-03"), QStringLiteral("2000-07-07")}).exitCode, 1);
}

} // namespace
