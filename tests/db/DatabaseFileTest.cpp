// The database as a file shared by programs: checking the identity never costs another connection
// its lock, every file opens in the one journal mode, a file held for replacement is refused while
// another program uses it, and a copy is checked before it is trusted.

#include "support/TestSupport.h"

#include "db/Database.h"
#include "db/DatabaseFile.h"
#include "db/Schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <sqlite3.h>

#if defined(Q_OS_UNIX)
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace testing_support;

namespace {

class DatabaseFile : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder.createDatabase();
        db::Database d(folder.dbPath());
        db::WriteBatch batch(d);
        for (int code = 1; code <= 400; ++code)
            d.execute(QStringLiteral("insert into daydata (コード, 日付, 終値) values (%1, #2000/07/14#, 100)").arg(code));
        batch.finish();
        d.close();
    }
    // A copy of the database as a plain file, in a folder of its own.
    QString copyOfDatabase(const QString &name)
    {
        db::Database::closeAll();
        const QString media = folder.filePath(QStringLiteral("media"));
        QDir().mkpath(media);
        const QString copy = media + QLatin1Char('/') + name;
        QFile::remove(copy);
        EXPECT_TRUE(QFile::copy(folder.dbPath(), copy));
        return copy;
    }
    static QString journalMode(const QString &path)
    {
        db::Database d(path);
        return d.scalarRaw(QStringLiteral("PRAGMA journal_mode")).toString();
    }
    TempProgramFolder folder;
};

// Runs raw SQL on a file through a connection of its own.
void rawExec(const QString &path, const char *sql)
{
    sqlite3 *h = nullptr;
    ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &h), SQLITE_OK);
    char *message = nullptr;
    EXPECT_EQ(sqlite3_exec(h, sql, nullptr, nullptr, &message), SQLITE_OK) << (message ? message : "");
    sqlite3_free(message);
    sqlite3_close(h);
}

#if defined(Q_OS_UNIX)

// True when another process holds a lock on the range of the database file where SQLite's readers
// and writers take theirs.
bool lockedElsewhere(const QString &path)
{
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return false;
    const pid_t child = ::fork();
    if (child == 0) {
        char seen = 'n';
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
        struct flock probe = {};
        probe.l_type = F_WRLCK;
        probe.l_whence = SEEK_SET;
        probe.l_start = 0x40000000; // SQLite's pending byte, then the reserved byte and the shared range
        probe.l_len = 512;
        if (fd >= 0 && ::fcntl(fd, F_GETLK, &probe) == 0 && probe.l_type != F_UNLCK)
            seen = 'y';
        (void)!::write(pipeFds[1], &seen, 1);
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    char seen = 'n';
    (void)!::read(pipeFds[0], &seen, 1);
    ::close(pipeFds[0]);
    ::waitpid(child, nullptr, 0);
    return seen == 'y';
}

TEST_F(DatabaseFile, CheckingTheFileAgainNeverDropsTheLockOfAnOpenConnection)
{
    db::Database writer(folder.dbPath());
    db::WriteBatch batch(writer); // a write transaction holds its locks until it commits
    writer.execute(QStringLiteral("insert into daydata (コード, 日付) values (9999, #2000/07/14#)"));
    ASSERT_TRUE(lockedElsewhere(folder.dbPath())) << "the probe sees the connection's lock";
    EXPECT_TRUE(db::Database::isOwnDatabase(folder.dbPath()));
    {
        db::Database second(folder.dbPath()); // a fresh connection of the same program checks the stamp
        EXPECT_EQ(second.scalar(QStringLiteral("select Count(*) from daydata")).toLongLong(), 400);
    }
    EXPECT_TRUE(lockedElsewhere(folder.dbPath())) << "the check let go of the writer's lock";
    batch.finish();
}

// A child process that keeps a connection open on the file until it is told to end.
class OtherProgram final
{
public:
    explicit OtherProgram(const QString &path)
    {
        if (::pipe(m_toChild) != 0 || ::pipe(m_fromChild) != 0)
            return;
        m_pid = ::fork();
        if (m_pid == 0) {
            sqlite3 *h = nullptr;
            sqlite3_open(path.toUtf8().constData(), &h);
            sqlite3_exec(h, "select count(*) from sqlite_master", nullptr, nullptr, nullptr);
            char ready = 'r';
            (void)!::write(m_fromChild[1], &ready, 1);
            char end;
            (void)!::read(m_toChild[0], &end, 1);
            sqlite3_close(h);
            ::_exit(0);
        }
        char ready;
        (void)!::read(m_fromChild[0], &ready, 1);
    }
    ~OtherProgram()
    {
        char end = 'e';
        (void)!::write(m_toChild[1], &end, 1);
        ::waitpid(m_pid, nullptr, 0);
        for (int fd : {m_toChild[0], m_toChild[1], m_fromChild[0], m_fromChild[1]})
            ::close(fd);
    }
    OtherProgram(const OtherProgram &) = delete;
    OtherProgram &operator=(const OtherProgram &) = delete;

private:
    pid_t m_pid = -1;
    int m_toChild[2] = {-1, -1};
    int m_fromChild[2] = {-1, -1};
};

TEST_F(DatabaseFile, AHoldForReplacementIsRefusedWhileAnotherProgramHasTheFileOpen)
{
    {
        db::Database::closeAll(); // a child shares no connection state with this process
        OtherProgram other(folder.dbPath());
        try {
            db::ExclusiveHold hold(folder.dbPath());
            ADD_FAILURE() << "held while another program had the file open";
        } catch (const db::DbError &e) {
            EXPECT_EQ(e.number(), db::ErrorNumber::LockedRecord);
            EXPECT_TRUE(e.description().contains(QStringLiteral("他のプログラムが使用中です")));
        }
        db::Database d(folder.dbPath()); // the other program still reads and writes as before
        d.execute(QStringLiteral("insert into daydata (コード, 日付) values (9999, #2000/07/14#)"));
    }
    db::ExclusiveHold hold(folder.dbPath());
    EXPECT_FALSE(QFile::exists(folder.dbPath() + QStringLiteral("-wal"))) << "the log is written back while held";
    EXPECT_EQ(db::CountRows(hold.handle()).at(QStringLiteral("daydata")), 401);
}
#endif

TEST_F(DatabaseFile, EveryFileOpensInWriteAheadModeWhateverModeItWasLeftIn)
{
    EXPECT_EQ(journalMode(folder.dbPath()), QStringLiteral("wal"));
    const QString copy = copyOfDatabase(QStringLiteral("Miravel.mdb"));
    rawExec(copy, "PRAGMA journal_mode=DELETE");
    EXPECT_EQ(journalMode(copy), QStringLiteral("wal"));
}

TEST_F(DatabaseFile, ACopyIsRefusedWhenBrokenIncompleteOrNewerAndReadWithoutMakingFilesBesideIt)
{
    const QString good = copyOfDatabase(QStringLiteral("Miravel.mdb"));
    const QStringList before = QDir(QFileInfo(good).absolutePath()).entryList(QDir::Files);
    const db::FileCheck check = db::CheckDatabaseFile(good, db::CheckDepth::Full);
    EXPECT_TRUE(check.ok()) << check.refusal.toStdString();
    EXPECT_EQ(check.rows.at(QStringLiteral("daydata")), 400);
    EXPECT_EQ(check.userVersion, db::SchemaVersion);
    EXPECT_EQ(QDir(QFileInfo(good).absolutePath()).entryList(QDir::Files), before) << "no -wal or -shm beside the copy";

    // One page of the price table overwritten.
    const QString corrupt = copyOfDatabase(QStringLiteral("corrupt.mdb"));
    qint64 rootPage = 0;
    int pageSize = 0;
    {
        db::Database d(folder.dbPath());
        rootPage = d.scalarRaw(QStringLiteral("select rootpage from sqlite_master where name='dayData'")).toLongLong();
        pageSize = d.scalarRaw(QStringLiteral("PRAGMA page_size")).toInt();
    }
    {
        QFile f(corrupt);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.seek((rootPage - 1) * pageSize));
        f.write(QByteArray(pageSize, '\x5a'));
    }
    const QString refusal = db::CheckDatabaseFile(corrupt, db::CheckDepth::Full).refusal;
    EXPECT_TRUE(refusal.contains(QStringLiteral("壊れています"))) << refusal.toStdString();

    const QString noPrices = copyOfDatabase(QStringLiteral("noprices.mdb"));
    rawExec(noPrices, "PRAGMA journal_mode=DELETE; DROP TABLE dayData");
    EXPECT_TRUE(db::CheckDatabaseFile(noPrices, db::CheckDepth::Full).refusal.contains(QStringLiteral("dayData")));

    const QString newer = copyOfDatabase(QStringLiteral("newer.mdb"));
    rawExec(newer, "PRAGMA journal_mode=DELETE; PRAGMA user_version=99");
    EXPECT_TRUE(db::CheckDatabaseFile(newer, db::CheckDepth::Quick).refusal.contains(QStringLiteral("新しい版")));
    try {
        db::Database d(newer);
        ADD_FAILURE() << "a database of a newer version was opened";
    } catch (const db::DbError &e) {
        EXPECT_EQ(e.number(), db::ErrorNumber::NewerSchema);
    }

    const QString empty = copyOfDatabase(QStringLiteral("empty.mdb"));
    writeFileBytes(empty, QByteArray());
    EXPECT_FALSE(db::CheckDatabaseFile(empty, db::CheckDepth::Quick).ok());
    EXPECT_FALSE(db::CheckDatabaseFile(folder.filePath(QStringLiteral("none.mdb")), db::CheckDepth::Quick).ok());
}

TEST_F(DatabaseFile, AnOlderLayoutIsBroughtUpToDateWhenOpened)
{
    rawExec(folder.dbPath(), "PRAGMA user_version=0");
    db::Database::closeAll();
    db::Database d(folder.dbPath());
    EXPECT_EQ(d.scalarRaw(QStringLiteral("PRAGMA user_version")).toInt(), db::SchemaVersion);
    EXPECT_EQ(d.scalar(QStringLiteral("select Count(*) from daydata")).toLongLong(), 400);
}

TEST_F(DatabaseFile, ACreationCutShortLeavesNothingUnderTheName)
{
    const QString path = folder.filePath(QStringLiteral("new.mdb"));
    writeFileBytes(path + QStringLiteral(".new"), QByteArray("left by a start that was killed"));
    ASSERT_TRUE(db::CreateDatabaseFile(path, nullptr));
    EXPECT_FALSE(QFile::exists(path + QStringLiteral(".new")));
    EXPECT_TRUE(db::CheckDatabaseFile(path, db::CheckDepth::Full).ok());
    EXPECT_FALSE(db::CreateDatabaseFile(path, nullptr)) << "an existing database is never replaced";
    EXPECT_TRUE(db::CheckDatabaseFile(path, db::CheckDepth::Full).ok());
}

} // namespace
