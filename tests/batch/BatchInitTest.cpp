// miravel-batch init on a program folder, run as the user runs it.

#include "db/Database.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct BatchRun
{
    int exitCode = -1;
    QString out;
    QString err;
};

class BatchInit : public ::testing::Test
{
protected:
    void SetUp() override
    {
        tool = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../miravel-batch"));
        if (!QFileInfo::exists(tool))
            GTEST_SKIP() << "miravel-batch is not built beside the tests";
    }
    BatchRun run(const QStringList &arguments)
    {
        QProcess p;
        p.start(tool, arguments);
        BatchRun r;
        if (!p.waitForFinished(30000))
            return r;
        r.exitCode = p.exitCode();
        r.out = QString::fromUtf8(p.readAllStandardOutput());
        r.err = QString::fromUtf8(p.readAllStandardError());
        return r;
    }
    QString file(const QString &name) const { return QDir(dir.path()).filePath(name); }
    QString tool;
    QTemporaryDir dir;
};

TEST_F(BatchInit, PreparesAFreshFolderAndLeavesAPreparedOneAsItIs)
{
    const BatchRun first = run({QStringLiteral("--folder"), dir.path(), QStringLiteral("init")});
    EXPECT_EQ(first.exitCode, 0) << first.err.toStdString();
    EXPECT_TRUE(QFileInfo(file(QStringLiteral("Data"))).isDir());
    EXPECT_TRUE(QFileInfo(file(QStringLiteral("htm"))).isDir());
    EXPECT_TRUE(db::Database::isOwnDatabase(file(QStringLiteral("Miravel.mdb"))));
    const QByteArray settings = testing_support::readFileBytes(file(QStringLiteral("Miravel.ini")));
    EXPECT_TRUE(settings.startsWith("[Miravel]\r\nScreenMode=1\r\n"));
    EXPECT_FALSE(settings.contains("Version=")) << "the version is the desktop program's";

    const QByteArray database = testing_support::readFileBytes(file(QStringLiteral("Miravel.mdb")));
    const BatchRun second = run({QStringLiteral("--folder"), dir.path(), QStringLiteral("init")});
    EXPECT_EQ(second.exitCode, 0) << second.err.toStdString();
    EXPECT_EQ(testing_support::readFileBytes(file(QStringLiteral("Miravel.mdb"))), database);
    EXPECT_EQ(testing_support::readFileBytes(file(QStringLiteral("Miravel.ini"))), settings);
}

TEST_F(BatchInit, ForeignDatabaseIsAnErrorWithItsDescription)
{
    {
        QFile f(file(QStringLiteral("Miravel.mdb")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("Standard Jet DB");
    }
    const BatchRun r = run({QStringLiteral("--folder"), dir.path(), QStringLiteral("init")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("ミラベルのデータベースではない"))) << r.err.toStdString();
    EXPECT_EQ(testing_support::readFileBytes(file(QStringLiteral("Miravel.mdb"))), QByteArray("Standard Jet DB"));
    EXPECT_FALSE(QFileInfo::exists(file(QStringLiteral("Miravel.ini"))));
}

TEST_F(BatchInit, BadSettingValueIsAnError)
{
    ASSERT_EQ(run({QStringLiteral("--folder"), dir.path(), QStringLiteral("init")}).exitCode, 0);
    QByteArray settings = testing_support::readFileBytes(file(QStringLiteral("Miravel.ini")));
    settings.replace("move2=15", "move2=abc");
    {
        QFile f(file(QStringLiteral("Miravel.ini")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(settings);
    }
    const BatchRun r = run({QStringLiteral("--folder"), dir.path(), QStringLiteral("init")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("設定 move2 の値 'abc' を数値に変換できません。"))) << r.err.toStdString();
}

TEST_F(BatchInit, ArgumentsAreAUsageError)
{
    const BatchRun r = run({QStringLiteral("--folder"), dir.path(), QStringLiteral("init"), QStringLiteral("now")});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_FALSE(QFileInfo::exists(file(QStringLiteral("Miravel.mdb"))));
}

} // namespace
