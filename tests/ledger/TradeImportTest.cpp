// The broker import as one unit: rows already imported are recognised and passed over, a sale is
// never applied twice or in part, and an import the database refuses stores nothing and says so.

#include "importwin/WindowTestSupport.h"

#include "db/DatabaseFile.h"
#include "ledger/TradeImport.h"
#include "ledger/frmstockmarket.h"
#include "ui/RecordsetTableModel.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>

#include <csignal>
#include <sys/resource.h>

using namespace importwin_test;

namespace {

const QString kHeader = QStringLiteral("日付,コード,売買,単価,株数");

class TradeImportTest : public WindowFixture
{
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        MainModule::SonPa = Currency::fromInt(4);
        addIssue(1301, 1, QStringLiteral("極洋"), true);
        addIssue(7203, 2, QStringLiteral("ﾄﾖﾀ自動車"), true);
    }
    ledger::Context context() { return {MainModule::DBPath, prompt, MainModule::SonPa, clock.today()}; }
    ledger::ImportReport import(const QStringList &lines)
    {
        testing_support::writeCp932File(path, lines);
        return ledger::ImportTrades(context(), path);
    }
    qint64 soldShares()
    {
        qint64 shares = 0;
        for (const ledger::Lot &lot : ledger::ReadLots(MainModule::DBPath, ledger::View::All))
            shares += lot.sellShares;
        return shares;
    }

    const QString path = folder.filePath(QStringLiteral("trades.csv"));
};

TEST_F(TradeImportTest, TheSameExportAgainAddsNothingAndAnOverlappingOneOnlyItsNewRows)
{
    const QStringList first{kHeader, QStringLiteral("2000/07/03,1301,買,500,1000"), QStringLiteral("2000/07/05,7203,買,2000,100"),
                            QStringLiteral("2000/07/10,1301,売,600,400")};
    ledger::ImportReport report = import(first);
    EXPECT_EQ(report.purchases, 2);
    EXPECT_EQ(report.sales, 1);
    EXPECT_TRUE(report.stored);
    EXPECT_EQ(report.summary(), QStringLiteral("取込終了しました。 購入 2件　売却 1件"));

    report = import(first);
    EXPECT_EQ(report.purchases, 0);
    EXPECT_EQ(report.sales, 0);
    EXPECT_EQ(report.alreadyImported, 3);
    EXPECT_EQ(report.summary(), QStringLiteral("取込終了しました。 購入 0件　売却 0件\n3件は取込済みのため読み飛ばしました。"));
    EXPECT_EQ(count(QStringLiteral("stockmarket")), 3); // two purchases and the unsold rest of the split lot
    EXPECT_EQ(soldShares(), 400) << "the sale was applied once";

    // A later export of the same broker, saved again as UTF-8 with quotes, thousands separators
    // and ISO dates: the two rows it shares with the first are the same rows.
    testing_support::writeFileBytes(path, QStringLiteral("日付,コード,売買,単価,株数\n"
                                                         "\"2000-07-05\",\"7203\",\"買\",\"2,000\",\"100\"\n"
                                                         "2000-07-10,1301,売,600,400\n"
                                                         "2000-07-12,1301,売,610,100\n"
                                                         "2000-07-14,7203,買,2100,200\n")
                                              .toUtf8());
    report = ledger::ImportTrades(context(), path);
    EXPECT_EQ(report.alreadyImported, 2);
    EXPECT_EQ(report.purchases, 1);
    EXPECT_EQ(report.sales, 1);
    EXPECT_EQ(soldShares(), 500);
}

TEST_F(TradeImportTest, IdenticalFillsInOneFileAreEachATradeAndATradeNumberIdentifiesItsRow)
{
    const QString fill = QStringLiteral("2000/07/03,1301,買,500,100");
    EXPECT_EQ(import({kHeader, fill, fill}).purchases, 2);
    EXPECT_EQ(import({kHeader, fill, fill}).alreadyImported, 2);
    // A later export with a third such fill of the same day: only that one is new.
    const ledger::ImportReport report = import({kHeader, fill, fill, fill});
    EXPECT_EQ(report.alreadyImported, 2);
    EXPECT_EQ(report.purchases, 1);
    EXPECT_EQ(count(QStringLiteral("stockmarket")), 3);

    // With the broker's trade number: identical fills are told apart by it, the same number is the
    // same trade even when a column the broker recomputes has changed, and numbers that start
    // again each day do not join trades of different days.
    const QString numbered = QStringLiteral("約定番号,日付,コード,売買,単価,株数,手数料");
    EXPECT_EQ(import({numbered, QStringLiteral("11,2000/07/04,7203,買,2000,100,500"),
                      QStringLiteral("12,2000/07/04,7203,買,2000,100,500")})
                  .purchases,
              2);
    EXPECT_EQ(import({numbered, QStringLiteral("11,2000/07/04,7203,買,2000,100,480")}).alreadyImported, 1);
    EXPECT_EQ(import({numbered, QStringLiteral("11,2000/07/05,7203,買,2000,100,500")}).purchases, 1);
}

TEST_F(TradeImportTest, ASaleThatCannotBeFinishedSellsNothingAndIsTriedAgainNextTime)
{
    // The second lot's profit does not fit the column, so the sale stops after taking the first.
    ASSERT_EQ(import({kHeader, QStringLiteral("2000/07/03,1301,買,1000,100"), QStringLiteral("2000/07/04,1301,買,1,3000000"),
                      QStringLiteral("2000/07/10,1301,売,1000,3000100")})
                  .purchases,
              2);
    EXPECT_EQ(soldShares(), 0);
    EXPECT_EQ(count(QStringLiteral("stockmarket")), 2);

    const ledger::ImportReport report = import({kHeader, QStringLiteral("2000/07/10,1301,売,1000,3000100")});
    EXPECT_EQ(report.alreadyImported, 0) << "a row that was not applied is not recorded as imported";
    ASSERT_EQ(report.skipped.size(), 1);
    EXPECT_TRUE(report.skipped[0].endsWith(QStringLiteral("(オーバーフローしました。)")));
}

TEST_F(TradeImportTest, AnImportTheDatabaseCannotTakeStoresNothingAndSaysSo)
{
    QStringList lines{kHeader};
    for (int i = 0; i < 2000; ++i)
        lines.append(QStringLiteral("2000/07/03,1301,買,%1,100").arg(500 + i));
    testing_support::writeCp932File(path, lines);
    ledger::ImportReport report;
    {
        testing_support::FileSizeLimit small(32 * 1024); // far below the log the rows need
        report = ledger::ImportTrades(context(), path);
    }
    EXPECT_TRUE(report.readable);
    EXPECT_FALSE(report.stored);
    EXPECT_EQ(report.purchases, 0);
    EXPECT_TRUE(report.failure.startsWith(QStringLiteral("取込を中止しました。取引履歴の行は1件も保存していません。\n")))
        << report.failure.toStdString();
    db::Database::closeAll();
    EXPECT_EQ(count(QStringLiteral("stockmarket")), 0);
    EXPECT_EQ(scalar(QStringLiteral("select Count(*) from stockmarketImported")).toLongLong(), 0);

    report = ledger::ImportTrades(context(), path);
    EXPECT_EQ(report.purchases, 2000);
    EXPECT_EQ(report.alreadyImported, 0);
}

TEST_F(TradeImportTest, AWriteBackThatFailsAfterTheCommitReportsTheRowsAsStored)
{
    {
        // Prices enough that the import's new pages lie beyond what the limit lets the file reach,
        // while its log stays well below it.
        db::Database d(MainModule::DBPath);
        d.executeRaw(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 39999) "
                                    "INSERT INTO dayData (コード, 日付, 終値) SELECT i % 4000 + 1, date('2000-01-03', '+' || (i / 4000) || ' days'), 100 FROM n"));
        d.close();
    }
    QStringList lines{kHeader};
    for (int i = 0; i < 200; ++i)
        lines.append(QStringLiteral("2000/07/03,1301,買,%1,100").arg(500 + i));
    testing_support::writeCp932File(path, lines);
    ledger::ImportReport report;
    {
        testing_support::FileSizeLimit fileAsItIs(rlim_t(QFileInfo(MainModule::DBPath).size()));
        report = ledger::ImportTrades(context(), path);
    }
    EXPECT_TRUE(report.stored);
    EXPECT_EQ(report.purchases, 200);
    EXPECT_TRUE(report.failure.startsWith(QStringLiteral("取り込んだ行は保存しましたが、データベースファイルへの書き戻しに失敗しました。\n")))
        << report.failure.toStdString();
    db::Database::closeAll();
    EXPECT_EQ(count(QStringLiteral("stockmarket")), 200);
    EXPECT_EQ(import(lines).alreadyImported, 200);
}

TEST_F(TradeImportTest, AnOlderDatabaseStaysRestorableAndIsUpgradedWhenOpened)
{
    {
        db::Database d(MainModule::DBPath);
        d.executeRaw(QStringLiteral("DROP TABLE stockmarketImported; DROP TABLE adjustment; PRAGMA user_version=1"));
        d.close();
    }
    db::Database::closeAll();
    const QString backup = folder.filePath(QStringLiteral("Miravel_v1.mdb"));
    ASSERT_TRUE(QFile::copy(MainModule::DBPath, backup));
    const db::FileCheck check = db::CheckDatabaseFile(backup, db::CheckDepth::Full);
    EXPECT_TRUE(check.ok()) << check.refusal.toStdString();
    EXPECT_EQ(check.userVersion, 1);

    const QStringList lines{kHeader, QStringLiteral("2000/07/03,1301,買,500,100")};
    EXPECT_EQ(import(lines).purchases, 1);
    EXPECT_EQ(import(lines).alreadyImported, 1);
    db::Database d(MainModule::DBPath);
    EXPECT_EQ(d.scalarRaw(QStringLiteral("PRAGMA user_version")).toInt(), db::SchemaVersion);
    EXPECT_EQ(d.scalarRaw(QStringLiteral("select count(*) from sqlite_master where name='adjustment'")).toInt(), 1);
}

TEST_F(TradeImportTest, WindowReportsWhatWasPassedOver)
{
    testing_support::writeCp932File(path, {kHeader, QStringLiteral("2000/07/03,1301,買,500,100")});
    frmstockmarket w(services);
    for (int run = 0; run < 2; ++run) {
        prompt.answerPath(path);
        w.mnuTradeImport->trigger();
    }
    EXPECT_EQ(prompt.messages(), (QStringList{QStringLiteral("取込終了しました。 購入 1件　売却 0件"), QStringLiteral("取込終了しました。 購入 0件　売却 0件\n1件は取込済みのため読み飛ばしました。")}));
    EXPECT_EQ(w.Datastockmarket->rowCount(), 1);
}

} // namespace
