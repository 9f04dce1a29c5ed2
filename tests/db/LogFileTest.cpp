// The write-ahead log as the program writes it: a committed transaction is in the log file the
// moment its commit returns, for another connection and for a crash alike, and a log the program
// has written back is never replayed into another file put in its database's place.

#include "support/TestSupport.h"

#include "db/Database.h"
#include "db/LogFileVfs.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <string>

using namespace testing_support;

namespace {

void exec(sqlite3 *h, const char *sql)
{
    char *message = nullptr;
    const int rc = sqlite3_exec(h, sql, nullptr, nullptr, &message);
    EXPECT_EQ(rc, SQLITE_OK) << sql << ": " << (message ? message : "");
    sqlite3_free(message);
}

sqlite3 *openRaw(const QString &path, const char *vfs)
{
    sqlite3 *h = nullptr;
    EXPECT_EQ(sqlite3_open_v2(path.toUtf8().constData(), &h, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, vfs), SQLITE_OK);
    return h;
}

// The rows of t in key order as their count and a digest of keys and bytes, or the error met.
std::string rowsOf(sqlite3 *h)
{
    sqlite3_stmt *s = nullptr;
    if (sqlite3_prepare_v2(h, "SELECT k, v FROM t ORDER BY k", -1, &s, nullptr) != SQLITE_OK)
        return std::string("error: ") + sqlite3_errmsg(h);
    QCryptographicHash digest(QCryptographicHash::Sha1);
    int rows = 0;
    int rc;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
        ++rows;
        const qint64 key = sqlite3_column_int64(s, 0);
        digest.addData(QByteArrayView(reinterpret_cast<const char *>(&key), sizeof key));
        digest.addData(QByteArrayView(static_cast<const char *>(sqlite3_column_blob(s, 1)), sqlite3_column_bytes(s, 1)));
    }
    std::string result = std::to_string(rows) + " rows " + digest.result().toHex().toStdString();
    if (rc != SQLITE_DONE)
        result = std::string("error: ") + sqlite3_errmsg(h);
    sqlite3_finalize(s);
    return result;
}

QString integrityOf(sqlite3 *h)
{
    sqlite3_stmt *s = nullptr;
    sqlite3_prepare_v2(h, "PRAGMA integrity_check", -1, &s, nullptr);
    QString result = sqlite3_step(s) == SQLITE_ROW ? QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s, 0)))
                                                   : QString::fromUtf8(sqlite3_errmsg(h));
    sqlite3_finalize(s);
    return result;
}

// The file and its log as a crash right now would leave them, copied under a new name.
QString crashCopy(const QString &path, const QString &name)
{
    QString copy = QFileInfo(path).dir().filePath(name);
    EXPECT_TRUE(QFile::copy(path, copy));
    EXPECT_TRUE(QFile::copy(path + QStringLiteral("-wal"), copy + QStringLiteral("-wal")));
    return copy;
}

// What a connection of the system's own file layer reads from the file, with its integrity check.
std::string readBySystemLayer(const QString &path)
{
    sqlite3 *h = openRaw(path, nullptr);
    std::string rows = rowsOf(h) + " " + integrityOf(h).toStdString();
    sqlite3_close(h);
    return rows;
}

} // namespace

TEST(LogFile, ACommittedTransactionIsInTheLogWhenItsCommitReturns)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.db"));
    sqlite3 *writer = openRaw(path, db::logFileVfsName());
    exec(writer, ("PRAGMA page_size=" + std::to_string(db::FilePageSize)).c_str()); // the frames of the program's files
    exec(writer, "PRAGMA journal_mode=WAL");
    exec(writer, "PRAGMA synchronous=NORMAL; PRAGMA wal_autocheckpoint=0");
    exec(writer, "CREATE TABLE t(k INTEGER PRIMARY KEY, v BLOB)");
    // A page cache of a few pages spills the transaction into the log before its commit, and the
    // update then rewrites frames already in the log: the commit writes their checksums again.
    exec(writer, "PRAGMA cache_size=8");
    exec(writer, "BEGIN");
    exec(writer, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<600) "
                 "INSERT INTO t SELECT i, randomblob(1000) FROM n");
    exec(writer, "UPDATE t SET v=randomblob(900) WHERE k<=150 OR k>590");
    exec(writer, "COMMIT");
    // Nothing of the writer reads the log before the others have looked: a read would write out
    // what it had kept.
    const QString afterLarge = crashCopy(path, QStringLiteral("large.db"));
    const std::string readAfterLarge = readBySystemLayer(path);
    // A transaction of three frames, far less than one gathered write.
    exec(writer, "INSERT INTO t VALUES (1000, x'0102')");
    const QString afterSmall = crashCopy(path, QStringLiteral("small.db"));
    const std::string readAfterSmall = readBySystemLayer(path);

    const std::string written = rowsOf(writer) + " ok";
    ASSERT_EQ(written.substr(0, 9), "601 rows ");
    EXPECT_EQ(readAfterSmall, written);
    EXPECT_EQ(readBySystemLayer(afterSmall), written) << "recovered after a crash";
    exec(writer, "DELETE FROM t WHERE k=1000");
    const std::string large = rowsOf(writer) + " ok";
    EXPECT_EQ(readAfterLarge, large);
    EXPECT_EQ(readBySystemLayer(afterLarge), large) << "recovered after a crash";
    sqlite3_close(writer);
}

TEST(LogFile, ALogWrittenBackIsNeverReplayedIntoAFilePutInItsPlace)
{
    TempProgramFolder folder;
    folder.createDatabase();
    const auto insertDays = [&](int from, int to) {
        db::Database d(folder.dbPath());
        db::WriteBatch batch(d);
        for (int code = from; code <= to; ++code)
            d.execute(QStringLiteral("insert into daydata (コード, 日付, 終値) values (%1, #2000/07/14#, 100)").arg(code));
        batch.finish();
        d.close();
    };
    insertDays(1, 10);
    db::Database::closeAll();
    const QString backup = folder.filePath(QStringLiteral("backup.mdb"));
    ASSERT_TRUE(QFile::copy(folder.dbPath(), backup));

    // 2,000 more rows, written back as every operation ends; the connection stays open, and so
    // does its log, which keeps its blocks for the next operation.
    insertDays(11, 2010);
    const QString log = folder.dbPath() + QStringLiteral("-wal");
    ASSERT_GT(QFileInfo(log).size(), 32 * 1024) << "the log keeps its blocks";
    // A crash now leaves that log beside the file; the user then puts the backup in its place.
    ASSERT_TRUE(QFile::copy(log, backup + QStringLiteral("-wal")));
    {
        db::Database restored(backup);
        EXPECT_EQ(restored.scalar(QStringLiteral("select Count(*) from daydata")).toInt(), 10);
        EXPECT_EQ(restored.scalarRaw(QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
    }
    db::Database::closeAll();
    db::Database current(folder.dbPath());
    EXPECT_EQ(current.scalar(QStringLiteral("select Count(*) from daydata")).toInt(), 2010);
}

TEST(LogFile, ACheckpointWritesEveryPageBackAsItsLastTransactionLeftIt)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.db"));
    sqlite3 *writer = openRaw(path, db::logFileVfsName());
    exec(writer, ("PRAGMA page_size=" + std::to_string(db::FilePageSize)).c_str());
    exec(writer, "PRAGMA journal_mode=WAL");
    exec(writer, "PRAGMA synchronous=NORMAL; PRAGMA wal_autocheckpoint=0");
    exec(writer, "CREATE TABLE t(k INTEGER PRIMARY KEY, v BLOB)");
    // Pages logged in order, then some of them logged again later: the copy reads along the log,
    // jumps ahead to the newer frames and back.
    exec(writer, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<800) "
                 "INSERT INTO t SELECT i, randomblob(700) FROM n");
    exec(writer, "UPDATE t SET v=randomblob(600) WHERE k BETWEEN 200 AND 260 OR k % 97 = 0");
    exec(writer, "INSERT INTO t VALUES (5000, x'0102')");
    const std::string written = rowsOf(writer) + " ok";
    ASSERT_EQ(written.substr(0, 9), "801 rows ");

    // The file alone, without its log, holds every row.
    const auto fileAlone = [&](const char *name) {
        sqlite3_stmt *s = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(writer, "PRAGMA wal_checkpoint(TRUNCATE)", -1, &s, nullptr), SQLITE_OK);
        EXPECT_EQ(sqlite3_step(s), SQLITE_ROW);
        EXPECT_EQ(sqlite3_column_int(s, 0), 0) << "not blocked";
        sqlite3_finalize(s);
        const QString alone = dir.filePath(QString::fromLatin1(name));
        EXPECT_TRUE(QFile::copy(path, alone));
        return readBySystemLayer(alone);
    };
    EXPECT_EQ(fileAlone("first.db"), written);
    // The next transactions' frames take the places of the frames copied before, and more.
    exec(writer, "UPDATE t SET v=randomblob(650)");
    exec(writer, "UPDATE t SET v=randomblob(640) WHERE k % 3 = 0");
    const std::string rewritten = rowsOf(writer) + " ok";
    ASSERT_NE(rewritten, written);
    EXPECT_EQ(fileAlone("second.db"), rewritten);
    sqlite3_close(writer);
}
