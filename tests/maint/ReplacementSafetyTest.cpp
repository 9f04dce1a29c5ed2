// Compaction and restore stopped at every step, as a killed program stops, leave a database that
// opens with every row and a whole backup; a restore refuses what it cannot trust and keeps what
// it replaces.

#include "support/TestSupport.h"

#include "db/Database.h"
#include "db/DatabaseFile.h"
#include "maint/Backup.h"
#include "maint/Compaction.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

class Replacement : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder.createDatabase();
        addRows(1, 300);
    }
    void addRows(int first, int last)
    {
        db::Database d(folder.dbPath());
        db::WriteBatch batch(d);
        for (int code = first; code <= last; ++code)
            d.execute(QStringLiteral("insert into daydata (コード, 日付, 終値) values (%1, #2000/07/14#, 100)").arg(code));
        batch.finish();
        d.close();
    }
    // The rows of daydata in a file, read as it stands; -1 when it is not a whole database.
    static qint64 rowsIn(const QString &path)
    {
        db::Database::closeAll();
        const db::FileCheck check = db::CheckDatabaseFile(path, db::CheckDepth::Full);
        return check.ok() ? check.rows.at(QStringLiteral("daydata")) : -1;
    }
    QString oldPath() const { return maint::OldDbPathOf(folder.dbPath()); }
    TempProgramFolder folder;
};

TEST_F(Replacement, CompactionStoppedAfterAnyStepLeavesAWholeDatabaseAndAWholeBackup)
{
    QString error;
    ASSERT_TRUE(maint::CompactDatabase(folder.dbPath(), &error)) << error.toStdString(); // a backup of 300 rows
    addRows(301, 350);
    for (const db::ReplaceStep stop : {db::ReplaceStep::Written, db::ReplaceStep::Checked, db::ReplaceStep::PreviousKept,
                                       db::ReplaceStep::Swapped}) {
        SCOPED_TRACE(int(stop));
        const qint64 backupBefore = rowsIn(oldPath());
        EXPECT_FALSE(maint::CompactDatabase(folder.dbPath(), &error, [&](db::ReplaceStep step) { return step != stop; }));
        EXPECT_EQ(rowsIn(folder.dbPath()), 350);
        const qint64 backupAfter = rowsIn(oldPath());
        EXPECT_TRUE(backupAfter == backupBefore || backupAfter == 350) << backupAfter;
        // The next compaction clears what the stopped one left.
        ASSERT_TRUE(maint::CompactDatabase(folder.dbPath(), &error)) << error.toStdString();
        EXPECT_EQ(rowsIn(oldPath()), 350);
        EXPECT_FALSE(QFile::exists(folder.dbPath() + QStringLiteral(".compact")));
        EXPECT_FALSE(QFile::exists(oldPath() + QStringLiteral(".part")));
    }
    db::Database d(folder.dbPath());
    EXPECT_EQ(d.scalarRaw(QStringLiteral("PRAGMA journal_mode")).toString(), QStringLiteral("wal"));
    d.execute(QStringLiteral("delete * from daydata where コード=1"));
    EXPECT_EQ(d.scalar(QStringLiteral("select Count(*) from daydata")).toLongLong(), 349) << "the compacted file takes writes";
}

TEST_F(Replacement, CompactionThatCannotFinishLeavesTheDatabaseAndTheBackupAsTheyWere)
{
    QString error;
    ASSERT_TRUE(maint::CompactDatabase(folder.dbPath(), &error));
    addRows(301, 310);
    // The compacted copy cannot be written: its name is taken by a folder.
    QDir().mkpath(folder.dbPath() + QStringLiteral(".compact/x"));
    EXPECT_FALSE(maint::CompactDatabase(folder.dbPath(), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(rowsIn(folder.dbPath()), 310);
    EXPECT_EQ(rowsIn(oldPath()), 300);
}

TEST_F(Replacement, RestoreRefusesWhatItCannotTrustAndKeepsTheDatabaseItReplaces)
{
    const QString media = folder.filePath(QStringLiteral("media"));
    QDir().mkpath(media);
    const QString backup = media + QStringLiteral("/Miravel.mdb");
    QString error;
    ASSERT_TRUE(maint::BackUpDatabase(folder.dbPath(), backup, &error)) << error.toStdString();
    addRows(301, 320);

    // A backup that lost its price table, and one from a newer version, are refused untouched.
    const QString damaged = media + QStringLiteral("/damaged.mdb");
    ASSERT_TRUE(QFile::copy(backup, damaged));
    {
        db::Database d(damaged);
        d.executeRaw(QStringLiteral("DROP TABLE dayData"));
        d.close();
        db::Database::closeAll();
    }
    EXPECT_FALSE(maint::RestoreDatabase(damaged, folder.dbPath(), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("dayData")) && error.contains(QStringLiteral("復元しませんでした。"))) << error.toStdString();
    EXPECT_EQ(rowsIn(folder.dbPath()), 320);
    EXPECT_FALSE(maint::RestoreDatabase(folder.dbPath(), folder.dbPath(), &error)) << "the database onto itself";

    const QStringList mediaFiles = QDir(media).entryList(QDir::Files);
    ASSERT_TRUE(maint::RestoreDatabase(backup, folder.dbPath(), &error)) << error.toStdString();
    EXPECT_EQ(QDir(media).entryList(QDir::Files), mediaFiles) << "nothing made beside the backup";
    EXPECT_EQ(rowsIn(folder.dbPath()), 300);
    EXPECT_EQ(rowsIn(maint::BeforeRestorePathOf(folder.dbPath())), 320) << "the replaced database is kept";
    EXPECT_FALSE(QFile::exists(folder.dbPath() + QStringLiteral(".restore")));
}

TEST_F(Replacement, TheCompactionBackupRestoresOverAMissingOrEmptyDatabase)
{
    QString error;
    ASSERT_TRUE(maint::CompactDatabase(folder.dbPath(), &error));
    db::Database::closeAll();
    writeFileBytes(folder.dbPath(), QByteArray());
    ASSERT_TRUE(maint::RestoreDatabase(oldPath(), folder.dbPath(), &error)) << error.toStdString();
    EXPECT_EQ(rowsIn(folder.dbPath()), 300);
    EXPECT_TRUE(QFile::exists(oldPath())) << "the compaction backup stays";
    QFile::remove(folder.dbPath());
    ASSERT_TRUE(maint::RestoreDatabase(oldPath(), folder.dbPath(), &error)) << error.toStdString();
    EXPECT_EQ(rowsIn(folder.dbPath()), 300);
}

} // namespace
