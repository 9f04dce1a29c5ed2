// The maintenance and ledger commands of miravel-batch, run as a user runs them.

#include "support/TestSupport.h"

#include "db/Database.h"

#include <QDir>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

class BatchMaintenanceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        program = testing_support::batchToolPath();
        if (program.isEmpty())
            GTEST_SKIP() << "miravel-batch is not built";
        folder.createDatabase();
        testing_support::executeSql(QStringLiteral(
            "insert into Mei (コード, 市場コード, 銘柄, 出来高単位, 株価単位, 更新Flg) values (1301, 1, '極洋', 1000, 1, True)"));
        db::Database::closeAll();
    }
    int run(const QStringList &arguments, QString *output = nullptr)
    {
        QProcess p;
        p.start(program, QStringList{QStringLiteral("--folder"), folder.path()} + arguments);
        EXPECT_TRUE(p.waitForFinished(60000));
        if (output)
            *output = QString::fromUtf8(p.readAllStandardOutput()) + QString::fromUtf8(p.readAllStandardError());
        return p.exitCode();
    }
    testing_support::TempProgramFolder folder;
    QString program;
};

// The ledger and backup rules are tested on their routines; here each command reaches its routine
// and its result or message is printed.
TEST_F(BatchMaintenanceTest, LedgerAndRestoreCommandsPrintTheirResults)
{
    QString output;
    ASSERT_EQ(run({QStringLiteral("ledger"), QStringLiteral("add"), QStringLiteral("1301"), QStringLiteral("2000-07-03"),
                   QStringLiteral("1000"), QStringLiteral("1000")}),
              0);
    ASSERT_EQ(run({QStringLiteral("ledger"), QStringLiteral("list"), QStringLiteral("--all")}, &output), 0);
    EXPECT_TRUE(output.contains(QStringLiteral("1301,1,極洋,00/07/03,1000,1000,1040,0,00/00/00,0,0,0")));

    const QString media = folder.filePath(QStringLiteral("media"));
    QDir().mkpath(media);
    ASSERT_EQ(run({QStringLiteral("backup"), media}), 0);
    testing_support::writeFileBytes(media + QStringLiteral("/Miravel.mdb"), QByteArray("not a database"));
    EXPECT_NE(run({QStringLiteral("restore"), media}, &output), 0);
    EXPECT_TRUE(output.contains(QStringLiteral("復元しませんでした")));
    EXPECT_NE(run({QStringLiteral("restore-old")}, &output), 0);
    EXPECT_TRUE(output.contains(QStringLiteral("ﾊﾞｯｸｱｯﾌﾟﾃﾞｰﾀｰがありません。")));
}

} // namespace
