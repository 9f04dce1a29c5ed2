// Data maintenance: bulk deletions by period, the code change and its questions, the issue
// checks, backup and restore, the price CSV and the issue-list files.

#include "importwin/WindowTestSupport.h"

#include "base/Settings.h"
#include "base/TextFile.h"
#include "maint/Backup.h"
#include "maint/Compaction.h"
#include "maint/DataDeletion.h"
#include "maint/DataFiles.h"
#include "maint/IssueCheck.h"
#include "maint/frmBackUp.h"
#include "maint/frmDatament.h"
#include "maint/frmDeleteData.h"
#include "ui/RecordsetTableModel.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <sqlite3.h>

using namespace importwin_test;

namespace {

class MaintenanceTest : public WindowFixture
{
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        addIssue(1301, 1, QStringLiteral("極洋"), true);
        addIssue(1332, 1, QStringLiteral("日本水産"), true);
        for (int code : {1301, 1332}) {
            for (int day : {7, 14}) {
                addDay(code, QDate(2000, 7, day), 100 + day);
                addWeek(code, QDate(2000, 7, day));
                execute(QStringLiteral("insert into shinyo (コード, 日付, 売残, 買残, 単位) values (%1, #2000/07/%2#, 1, 2, 1000)")
                            .arg(code)
                            .arg(day));
            }
        }
    }
    void addWeek(int code, const QDate &friday)
    {
        execute(QStringLiteral("insert into weekdata (コード, 日付, 始値, 高値, 安値, 終値, 前日比, 出来高, 基準前日比) "
                               "values (%1, #%2#, 10, 12, 9, 11, 0, 5, 11)")
                    .arg(code)
                    .arg(friday.toString(QStringLiteral("yyyy/MM/dd"))));
    }
    maint::MaintenanceContext context(int mode) { return {MainModule::DBPath, prompt, progress, mode, clock.today()}; }

    testing_support::RecordingProgress progress;
};

TEST_F(MaintenanceTest, DateRangeDeletionTakesMarginRowsOnlyInWeeklyMode)
{
    prompt.answerYes();
    EXPECT_TRUE(maint::DeleteDateRange(context(1), QStringLiteral("00/07/14"), QStringLiteral("00/07/14")));
    EXPECT_EQ(count(QStringLiteral("daydata")), 2);
    EXPECT_EQ(count(QStringLiteral("shinyo")), 4);
    EXPECT_EQ(count(QStringLiteral("weekdata")), 4);

    prompt.answerYes();
    EXPECT_TRUE(maint::DeleteDateRange(context(2), QStringLiteral("00/07/10"), QStringLiteral("00/07/14")));
    EXPECT_EQ(count(QStringLiteral("weekdata")), 2);
    EXPECT_EQ(count(QStringLiteral("shinyo")), 2);
    EXPECT_EQ(count(QStringLiteral("daydata")), 2);
    EXPECT_EQ(prompt.messages(), QStringList(2, QStringLiteral("削除終了しました。")));

    EXPECT_FALSE(maint::DeleteDateRange(context(1), QStringLiteral("00/07/"), QStringLiteral("00/07/14")));
    EXPECT_EQ(prompt.messages().last(), QStringLiteral("日付を入力して下さい。"));
}

TEST_F(MaintenanceTest, IssueDeletionsCheckTheirBoxesAndKeepOtherIssues)
{
    execute(QStringLiteral("insert into informationData (種類コード, 日付, 順位, コード) values ('d01', #2000/07/14#, 1, 1301)"));
    execute(QStringLiteral("insert into informationData (種類コード, 日付, 順位, コード) values ('d01', #2000/07/15#, 1, 1301)"));
    prompt.answerYes();
    EXPECT_TRUE(maint::DeleteInformationUpTo(context(1), QStringLiteral("00/07/14")));
    EXPECT_EQ(prompt.questions().last(), QStringLiteral("00/07/14 日以前の株価ﾃﾞｰﾀｰをすべて削除します　よろしいですか？"));
    EXPECT_EQ(count(QStringLiteral("informationData")), 1);

    EXPECT_FALSE(maint::DeleteIssuePricesUpTo(context(2), QStringLiteral("abc"), QStringLiteral("00/07/07")));
    EXPECT_EQ(prompt.messages().last(), QStringLiteral("銘柄コードを入力して下さい。"));
    prompt.answerYes();
    EXPECT_TRUE(maint::DeleteIssuePricesUpTo(context(2), QStringLiteral("1301"), QStringLiteral("00/07/07")));
    EXPECT_EQ(count(QStringLiteral("weekdata"), QStringLiteral("where コード=1301")), 1);
    EXPECT_EQ(count(QStringLiteral("shinyo"), QStringLiteral("where コード=1301")), 1);
    EXPECT_EQ(count(QStringLiteral("daydata"), QStringLiteral("where コード=1301")), 2);

    prompt.answerYes();
    EXPECT_TRUE(maint::DeleteIssueAndPrices(context(1), QStringLiteral("1301")));
    EXPECT_EQ(count(QStringLiteral("Mei")), 1);
    EXPECT_EQ(count(QStringLiteral("daydata")), 2);
    EXPECT_EQ(count(QStringLiteral("informationData")), 0);
}

TEST_F(MaintenanceTest, CodeChangeAsksOnlyTheQuestionsOfTablesThatHoldTheNewCode)
{
    addWeek(1302, QDate(2000, 6, 30));
    execute(QStringLiteral("insert into stockmarket (コード, 購入数, 売却数) values (1301, 100, 0)"));
    prompt.answerYes();
    prompt.answerYes();
    EXPECT_TRUE(maint::ChangeCodeAndMarket(context(1), QStringLiteral("1301"), QStringLiteral("1"), QStringLiteral("1302"),
                                           QStringLiteral("3")));
    EXPECT_EQ(prompt.questions(), QStringList({QStringLiteral("コード　又は　市場　を変更します　よろしいですか？"), QStringLiteral("週データに変更先のコードがすでに存在します　実行しますか？")}));
    EXPECT_EQ(prompt.messages(), QStringList{QStringLiteral("変更終了しました。")});
    EXPECT_EQ(count(QStringLiteral("daydata"), QStringLiteral("where コード=1302")), 2);
    EXPECT_EQ(count(QStringLiteral("weekdata"), QStringLiteral("where コード=1302")), 3);
    EXPECT_EQ(count(QStringLiteral("stockmarket"), QStringLiteral("where コード=1302")), 1);
    EXPECT_EQ(scalar(QStringLiteral("select 銘柄 from Mei where コード=1302")).toString(), QStringLiteral("極洋"));
    EXPECT_EQ(scalar(QStringLiteral("select 市場コード from Mei where コード=1302")).toInt(), 3);

    EXPECT_FALSE(maint::ChangeCodeAndMarket(context(1), QStringLiteral("1302"), QStringLiteral(""), QStringLiteral("1303"),
                                            QStringLiteral("1")));
    EXPECT_EQ(prompt.messages().last(), QStringLiteral("市場コードを入力して下さい。"));
}

TEST_F(MaintenanceTest, KeyCollisionInTheCodeChangeStopsAndLeavesTheLaterTablesAlone)
{
    // 1332 has weekly rows on the same Fridays, so the weekly update collides after the daily one.
    execute(QStringLiteral("delete * from daydata where コード=1332"));
    execute(QStringLiteral("insert into board (区分, コード, 市場コード) values (1, 1301, 1)"));
    for (int i = 0; i < 3; ++i)
        prompt.answerYes(); // the change, the weekly question, the issue question
    EXPECT_FALSE(maint::ChangeCodeAndMarket(context(1), QStringLiteral("1301"), QStringLiteral("1"), QStringLiteral("1332"),
                                            QStringLiteral("1")));
    ASSERT_EQ(prompt.messages().size(), 1);
    EXPECT_NE(prompt.messages().first(), QStringLiteral("変更終了しました。"));
    EXPECT_EQ(count(QStringLiteral("daydata"), QStringLiteral("where コード=1332")), 2); // moved before the failure
    EXPECT_EQ(count(QStringLiteral("weekdata"), QStringLiteral("where コード=1301")), 2); // all-or-nothing
    EXPECT_EQ(count(QStringLiteral("board"), QStringLiteral("where コード=1301")), 1);
    EXPECT_EQ(count(QStringLiteral("shinyo"), QStringLiteral("where コード=1301")), 2);
    EXPECT_EQ(count(QStringLiteral("Mei"), QStringLiteral("where コード=1301")), 1);
}

TEST_F(MaintenanceTest, ClearingEverythingRecreatesTheDatabaseOrReportsItMissing)
{
    prompt.answerYes();
    EXPECT_TRUE(maint::ClearAllData(context(1)));
    EXPECT_EQ(count(QStringLiteral("Mei")), 0);
    EXPECT_EQ(count(QStringLiteral("Shijyo")), 6);

    db::Database::closeAll();
    ASSERT_TRUE(QFile::remove(MainModule::DBPath));
    prompt.answerYes();
    EXPECT_FALSE(maint::ClearAllData(context(1)));
    EXPECT_EQ(prompt.messages().last(), QStringLiteral("株価データーが無い為削除しませんでした。"));
    EXPECT_FALSE(QFile::exists(MainModule::DBPath));
}

TEST_F(MaintenanceTest, ComparisonsListTheMismatchedCodesFromAnEmptyList)
{
    addIssue(9999, 1, QStringLiteral("株価なし"), true);
    addDay(8888, QDate(2000, 7, 14), 10);
    addDay(7777, QDate(2000, 7, 14), 10);
    const auto missing = maint::CompareIssues(MainModule::DBPath, QStringLiteral("daydata"),
                                              maint::IssueCheck::PricesWithoutRegistration, progress);
    EXPECT_EQ(missing, (std::vector<qint64>{7777, 8888}));
    const auto unpriced = maint::CompareIssues(MainModule::DBPath, QStringLiteral("weekdata"),
                                               maint::IssueCheck::RegistrationWithoutPrices, progress);
    EXPECT_EQ(unpriced, (std::vector<qint64>{9999}));
    EXPECT_EQ(count(QStringLiteral("wrkMei")), 1);
    EXPECT_GT(progress.yields, 0);
}

TEST_F(MaintenanceTest, DatamentWindowDeletesTheSelectedCodeOrAsksForASelection)
{
    addDay(8888, QDate(2000, 7, 14), 10);
    execute(QStringLiteral("insert into wrkMei (コード) values (1301)")); // left over: emptied on opening
    frmDatament w(services);
    EXPECT_EQ(w.MenteData->rowCount(), 0);
    w.CmdDelData->click();
    EXPECT_EQ(prompt.messages(), QStringList{QStringLiteral("ﾘｽﾄから削除対象を選択して下さい。")});

    prompt.answerYes();
    w.CmdMake1->click();
    ASSERT_EQ(w.MenteData->rowCount(), 1);
    EXPECT_EQ(prompt.messages().last(), QStringLiteral("照合終了しました。"));
    prompt.answerYes();
    w.CmdDelData->click();
    EXPECT_EQ(prompt.questions().last(), QStringLiteral("コード=8888 の株価データーを削除します　よろしいですか？"));
    EXPECT_EQ(prompt.messages().last(), QStringLiteral("削除しました。"));
    EXPECT_EQ(w.MenteData->rowCount(), 0);
    EXPECT_EQ(count(QStringLiteral("daydata"), QStringLiteral("where コード=8888")), 0);
    EXPECT_EQ(count(QStringLiteral("daydata")), 4);
}

TEST_F(MaintenanceTest, DeleteDataWindowShowsItsModeAndRunsTheTypedCommand)
{
    MainModule::PeriodMode = 2;
    frmDeleteData w(services);
    MainModule::PeriodMode = 1;
    EXPECT_EQ(w.LblMode->text(), QStringLiteral("週データ削除モード"));
    EXPECT_TRUE(w.windowTitle().endsWith(QStringLiteral("(週)")));
    typeText(w.TxtMeiCode, QStringLiteral("1332"));
    prompt.answerYes();
    w.CmdMeiDelete->click();
    EXPECT_EQ(prompt.questions(), QStringList{QStringLiteral("銘柄ｺｰﾄﾞ=1332 の及び株価ﾃﾞｰﾀｰをすべて削除します　よろしいですか？")});
    EXPECT_EQ(count(QStringLiteral("Mei")), 1);
}

TEST_F(MaintenanceTest, BackupHoldsEveryRowAndRestoreRefusesForeignFilesLeavingTheDatabase)
{
    const QString media = folder.filePath(QStringLiteral("media"));
    QDir().mkpath(media);
    const QString backup = Settings::folderPath(maint::BackupFileOf(media));
    QString error;
    ASSERT_TRUE(maint::BackUpDatabase(MainModule::DBPath, backup, &error)) << error.toStdString();
    db::Database::closeAll();
    const QByteArray original = testing_support::readFileBytes(MainModule::DBPath);
    EXPECT_EQ(QDir(media).entryList(QDir::Files), QStringList{QStringLiteral("Miravel.mdb")}) << "no log or part left beside it";
    {
        db::Database copy(backup);
        EXPECT_EQ(copy.scalar(QStringLiteral("select Count(*) from daydata")).toLongLong(), 4);
    }
    db::Database::closeAll();

    execute(QStringLiteral("delete * from daydata"));
    ASSERT_TRUE(maint::RestoreDatabase(backup, MainModule::DBPath, &error)) << error.toStdString();
    EXPECT_EQ(count(QStringLiteral("daydata")), 4);
    db::Database::closeAll();
    const QByteArray restored = testing_support::readFileBytes(MainModule::DBPath);

    testing_support::writeFileBytes(backup, QByteArray("SQLite format 3") + QByteArray(4081, '\0'));
    EXPECT_FALSE(maint::RestoreDatabase(backup, MainModule::DBPath, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("ミラベルのデータベースではない")));
    testing_support::writeFileBytes(backup, original.left(original.size() / 2));
    EXPECT_FALSE(maint::RestoreDatabase(backup, MainModule::DBPath, &error));
    EXPECT_EQ(testing_support::readFileBytes(MainModule::DBPath), restored);
    EXPECT_EQ(count(QStringLiteral("daydata")), 4);

    EXPECT_EQ(maint::BackupFileOf(QStringLiteral("D:")), QStringLiteral("D:\\Miravel.mdb"));
    EXPECT_EQ(maint::BackupFileOf(QStringLiteral("D:\\")), QStringLiteral("D:\\Miravel.mdb"));
}

TEST_F(MaintenanceTest, BackupWindowRestoresTheCompactionBackupAndKeepsBackPathWhenEmptied)
{
    {
        frmBackUp w(services);
        // A folder that exists on this platform: the drive's root on Windows, the home folder elsewhere.
#if defined(Q_OS_WIN)
        EXPECT_EQ(w.txtbackuppath->text(), QStringLiteral("C:\\"));
#else
        EXPECT_EQ(w.txtbackuppath->text(), QDir::toNativeSeparators(QDir::homePath() + QLatin1Char('/')));
#endif
        w.CmdoladmdbRebackup->click();
        EXPECT_EQ(prompt.messages().last(), QStringLiteral("ﾊﾞｯｸｱｯﾌﾟﾃﾞｰﾀｰがありません。"));
        w.txtbackuppath->setText(QStringLiteral("E:\\save\\"));
        w.close();
    }
    EXPECT_EQ(Settings::settingsValue(QStringLiteral("BackPath")), QStringLiteral("E:\\save\\"));

    ASSERT_TRUE(maint::CompactDatabase(MainModule::DBPath));
    execute(QStringLiteral("delete * from Mei"));
    frmBackUp w(services);
    prompt.answerYes();
    w.CmdoladmdbRebackup->click();
    EXPECT_EQ(prompt.messages().last(), QStringLiteral("復元終了しました。"));
    EXPECT_EQ(count(QStringLiteral("Mei")), 2);
    EXPECT_TRUE(QFile::exists(maint::OldDbPathOf(MainModule::DBPath)));
    w.txtbackuppath->clear();
    w.close();
    EXPECT_EQ(Settings::settingsValue(QStringLiteral("BackPath")), QStringLiteral("E:\\save\\"));
}

TEST_F(MaintenanceTest, PriceCsvAsksNeedsAShownIssueAndUsesThePeriodTableAndTheUnits)
{
    const QString csv = MainModule::dataFolder() + QStringLiteral("/1301.Csv");
    prompt.answerNo();
    maint::ExportShownIssueCsv(prompt, QStringLiteral("1301"), QStringLiteral("東１"), QStringLiteral("極洋"), 1);
    prompt.answerYes();
    maint::ExportShownIssueCsv(prompt, QStringLiteral("1301"), QString(), QString(), 1);
    EXPECT_EQ(prompt.messages(), QStringList{QStringLiteral("銘柄コードを入力して下さい。")});
    EXPECT_FALSE(QFile::exists(csv));

    execute(QStringLiteral("update Mei set 株価単位=10, 出来高単位=1000 where コード=1301"));
    prompt.answerYes();
    maint::ExportShownIssueCsv(prompt, QStringLiteral("1301"), QStringLiteral("東１"), QStringLiteral("極洋"), 2);
    EXPECT_EQ(prompt.messages().last(), QStringLiteral("Data ﾌｫﾙﾀﾞに 1301.Csv と言うﾌｧｲﾙ名で出力しました。"));
    EXPECT_EQ(TextFile::decode(testing_support::readFileBytes(csv)),
              QStringLiteral("極洋,1301,東１,週足データ\r\n日付,出来高,始値,高値,安値,終値\r\n"
                             "2000/07/07,5000,100,120,90,110\r\n2000/07/14,5000,100,120,90,110\r\n"));
}

TEST_F(MaintenanceTest, IssueListFilesAreNamedAskBeforeOverwritingAndReadBackRegisteredCodes)
{
    const QString data = MainModule::dataFolder();
    const QDate day(2000, 7, 14);
    EXPECT_EQ(maint::DefaultListName(data, day), QStringLiteral("000714_0.Lis"));
    for (int n = 0; n < 10; ++n)
        testing_support::writeFileBytes(data + QStringLiteral("/000714_%1.Lis").arg(n), "1301\r\n");
    EXPECT_EQ(maint::DefaultListName(data, day), QStringLiteral("00071410.Lis"));
    EXPECT_TRUE(maint::WriteIssueList(data + QStringLiteral("/none.Lis"), {}));
    EXPECT_FALSE(QFile::exists(data + QStringLiteral("/none.Lis")));

    const QString path = data + QStringLiteral("/list.Lis");
    prompt.answerPath(path);
    maint::WriteIssueListFile(prompt, {QStringLiteral("1332 東１ 日本水産"), QStringLiteral("1301 東１ 極洋")}, day);
    EXPECT_EQ(testing_support::readFileBytes(path), QByteArray("1332\r\n1301\r\n"));
    prompt.answerPath(path);
    prompt.answerNo();
    maint::WriteIssueListFile(prompt, {QStringLiteral("1301 東１ 極洋")}, day);
    EXPECT_TRUE(prompt.questions().last().endsWith(QStringLiteral("のファイルは存在します 上書きしますか？")));
    EXPECT_EQ(testing_support::readFileBytes(path), QByteArray("1332\r\n1301\r\n"));

    EXPECT_EQ(maint::IssueListCodes({QStringLiteral("x"), QStringLiteral("7203,ﾄﾖﾀ"), QStringLiteral("7203"),
                                     QString(), QStringLiteral("1301")}),
              (std::vector<qint64>{0, 7203, 7203, 7203, 1301}));
    MainModule::MarketAbbrev[1] = QStringLiteral("東１");
    testing_support::writeCp932File(path, {QStringLiteral("1301,極洋"), QString(), QStringLiteral("9999")});
    prompt.answerPath(path);
    QStringList entries;
    ASSERT_TRUE(maint::ReadIssueListFile(prompt, &entries));
    EXPECT_EQ(entries, QStringList(2, QStringLiteral("1301 東１ 極洋")));
}

TEST(Compaction, RepeatedCompactionKeepsTheStateBeforeItAndAMissingFileIsReported)
{
    testing_support::TempProgramFolder folder;
    QString error;
    EXPECT_FALSE(maint::CompactDatabase(folder.dbPath(), &error));
    EXPECT_FALSE(error.isEmpty());

    folder.createDatabase();
    // A file made with the 4 KiB pages of older versions.
    db::Database::closeAll();
    sqlite3 *h = nullptr;
    ASSERT_EQ(sqlite3_open(folder.dbPath().toUtf8().constData(), &h), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(h, "PRAGMA journal_mode=DELETE; PRAGMA page_size=4096; VACUUM; PRAGMA journal_mode=WAL", nullptr,
                           nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(h);
    for (const char *code : {"1301", "1332"}) {
        testing_support::executeSql(
            QStringLiteral("insert into Mei (コード, 市場コード, 銘柄, 出来高単位, 株価単位) values (%1, 1, 'x', 1, 1)").arg(QLatin1String(code)));
        ASSERT_TRUE(maint::CompactDatabase(folder.dbPath(), &error)) << error.toStdString();
    }
    db::Database::closeAll();
    {
        db::Database old(maint::OldDbPathOf(folder.dbPath()));
        EXPECT_EQ(old.scalar(QStringLiteral("select Count(*) from Mei")).toLongLong(), 2)
            << "the second compaction keeps the state before it";
    }
    db::Database d(folder.dbPath());
    EXPECT_EQ(d.scalarRaw(QStringLiteral("PRAGMA page_size")).toInt(), db::FilePageSize) << "compacted with a new file's pages";
    d.execute(QStringLiteral("delete * from Mei where コード=1301"));
    EXPECT_EQ(d.scalar(QStringLiteral("select Count(*) from Mei")).toLongLong(), 1) << "the new file takes writes";
}

} // namespace
