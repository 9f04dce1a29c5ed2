// miravel-batch init on a program folder, and the usage errors of the tool.

#include "BatchTestSupport.h"

#include "db/Database.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace batch_test;
using testing_support::readFileBytes;

namespace {

class BatchInit : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (testing_support::batchToolPath().isEmpty())
            GTEST_SKIP() << "miravel-batch is not built beside the tests";
    }
    BatchRun init(const QStringList &more = {}) { return runBatch(dir.path(), QStringList{QStringLiteral("init")} + more); }
    QString file(const QString &name) const { return QDir(dir.path()).filePath(name); }
    QTemporaryDir dir;
};

TEST_F(BatchInit, PreparesAFreshFolderAndLeavesAPreparedOneAsItIs)
{
    const BatchRun first = init();
    EXPECT_EQ(first.exitCode, 0) << first.err.toStdString();
    // What a fresh folder gets is the start-up code's; the tool adds no version key.
    EXPECT_TRUE(db::Database::isOwnDatabase(file(QStringLiteral("Miravel.mdb"))));
    const QByteArray settings = readFileBytes(file(QStringLiteral("Miravel.ini")));
    EXPECT_TRUE(settings.startsWith("[Miravel]\r\nScreenMode=1\r\n"));
    EXPECT_FALSE(settings.contains("Version=")) << "the version is the desktop program's";

    EXPECT_EQ(init().exitCode, 0);
    EXPECT_EQ(readFileBytes(file(QStringLiteral("Miravel.ini"))), settings);

    // A folder that does not exist yet is made.
    const QString newFolder = file(QStringLiteral("new/program"));
    EXPECT_EQ(runBatch(newFolder, {QStringLiteral("init")}).exitCode, 0);
    EXPECT_TRUE(db::Database::isOwnDatabase(newFolder + QStringLiteral("/Miravel.mdb")));
}

// What start-up refuses, and how the file is left, is the start-up code's; the tool exits with 1
// and shows the message.
TEST_F(BatchInit, StartUpFailuresExitWithOneAndTheirMessage)
{
    testing_support::writeFileBytes(file(QStringLiteral("Miravel.mdb")), "Standard Jet DB");
    BatchRun r = init();
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("ミラベルのデータベースではない"))) << r.err.toStdString();

    ASSERT_TRUE(QFile::remove(file(QStringLiteral("Miravel.mdb"))));
    ASSERT_EQ(init().exitCode, 0);
    QByteArray settings = readFileBytes(file(QStringLiteral("Miravel.ini")));
    settings.replace("move2=15", "move2=abc");
    testing_support::writeFileBytes(file(QStringLiteral("Miravel.ini")), settings);
    r = init();
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("設定 move2 の値 'abc' を数値に変換できません。"))) << r.err.toStdString();
}

TEST_F(BatchInit, UsageErrorsExitWithTwoAndPrepareNothing)
{
    EXPECT_EQ(init({QStringLiteral("now")}).exitCode, 2);
    EXPECT_FALSE(QFileInfo::exists(file(QStringLiteral("Miravel.mdb"))));
    for (const QStringList &arguments : {QStringList{QStringLiteral("no-such-command")}, QStringList{QStringLiteral("chart")},
                                         QStringList{QStringLiteral("chart"), QStringLiteral("7203"), QStringLiteral("--panel"), QStringLiteral("9")}})
        EXPECT_EQ(runBatch(dir.path(), arguments).exitCode, 2) << arguments.join(QLatin1Char(' ')).toStdString();
}

} // namespace
