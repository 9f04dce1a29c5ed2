// The rules callers rely on: duplicate keys as 3022, all-or-nothing action queries, the type rules
// of the fields, write batches that keep what was saved, and files that are not ours.

#include "support/TestSupport.h"

#include "db/Database.h"
#include "db/Schema.h"

#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <functional>

#include <gtest/gtest.h>

#include <sqlite3.h>

#if defined(Q_OS_UNIX)
#include <csignal>
#include <sys/resource.h>
#endif

using namespace testing_support;

namespace {

class Engine : public ::testing::Test
{
protected:
    void SetUp() override { folder.createDatabase(); }
    int count(const QString &table)
    {
        db::Database d(folder.dbPath());
        return int(d.scalar(QStringLiteral("select Count(*) from ") + table).toLongLong());
    }
    static int errorOf(const std::function<void()> &f) { return testing_support::dbErrorNumberOf(f); }
    TempProgramFolder folder;
};

TEST_F(Engine, DuplicateKeyIs3022AndLeavesTheFirstRowAndUnknownNamesHaveTheirNumbers)
{
    db::Database d(folder.dbPath());
    d.execute(QStringLiteral("insert into daydata (コード, 日付, 終値) values (1301, #2000/07/14#, 100)"));
    EXPECT_EQ(errorOf([&] { d.execute(QStringLiteral("insert into daydata (コード, 日付, 終値) values (1301, #2000/07/14#, 200)")); }), 3022);
    db::Recordset rs = d.openRecordset(QStringLiteral("dayData"));
    rs.addNew();
    rs.setValue(QStringLiteral("コード"), 1301);
    rs.setValue(QStringLiteral("日付"), QDate(2000, 7, 14));
    EXPECT_EQ(errorOf([&] { rs.update(); }), 3022);
    EXPECT_EQ(d.scalar(QStringLiteral("select 終値 from daydata")).toLongLong(), 100);

    // Unknown tables and fields have their numbers too.
    EXPECT_EQ(errorOf([&] { d.openRecordset(QStringLiteral("select * from nosuch")); }), db::ErrorNumber::TableNotFound);
    EXPECT_EQ(errorOf([&] { d.openRecordset(QStringLiteral("nosuch")); }), db::ErrorNumber::TableNotFound);
    EXPECT_EQ(errorOf([&] { d.openRecordset(QStringLiteral("select nofield from Mei")); }), db::ErrorNumber::TooFewParameters);
    db::Recordset markets = d.openRecordset(QStringLiteral("select * from Shijyo"));
    EXPECT_EQ(errorOf([&] { markets.value(QStringLiteral("nofield")); }), db::ErrorNumber::TooFewParameters);
}

TEST_F(Engine, FailingActionQueryChangesNothing)
{
    db::Database d(folder.dbPath());
    for (int code : {1000, 1001, 1002})
        d.execute(QStringLiteral("insert into daydata (コード, 日付) values (%1, #2000/07/14#)").arg(code));
    // The second row would collide with the third: nothing may change.
    EXPECT_EQ(errorOf([&] { d.execute(QStringLiteral("update daydata set コード=コード+1")); }), 3022);
    EXPECT_EQ(d.scalar(QStringLiteral("select Max(コード) from daydata")).toLongLong(), 1002);
    EXPECT_EQ(d.scalar(QStringLiteral("select Min(コード) from daydata")).toLongLong(), 1000);
}

TEST_F(Engine, FieldTypesAreEnforcedOnRecordSetsAndQueries)
{
    db::Database d(folder.dbPath());
    db::Recordset rs = d.openRecordset(QStringLiteral("Mei"));
    auto setOne = [&](const char *field, const QVariant &v) {
        return errorOf([&] {
            rs.addNew();
            rs.setValue(QStringLiteral("コード"), 1);
            rs.setValue(QString::fromUtf8(field), v);
            rs.update();
            d.execute(QStringLiteral("delete * from Mei"));
        });
    };
    EXPECT_EQ(setOne("市場コード", 32767), 0);
    EXPECT_EQ(setOne("市場コード", 32768), db::ErrorNumber::Overflow);
    EXPECT_EQ(setOne("市場コード", -32769), db::ErrorNumber::Overflow);
    EXPECT_EQ(setOne("出来高単位", qint64(2147483647)), 0);
    EXPECT_EQ(setOne("出来高単位", qint64(2147483648)), db::ErrorNumber::Overflow);
    EXPECT_EQ(setOne("出来高単位", QStringLiteral("abc")), db::ErrorNumber::TypeMismatch);
    EXPECT_EQ(setOne("出来高単位", QStringLiteral(" 12 ")), 0);
    EXPECT_EQ(setOne("銘柄", QString(20, QChar(0x30A2))), 0);
    EXPECT_EQ(setOne("銘柄", QString(21, QChar(0x30A2))), db::ErrorNumber::FieldTooSmall);
    EXPECT_EQ(setOne("銘柄", QString()), 0); // empty allowed
    rs.close();

    // The same rules hold for action queries.
    EXPECT_EQ(errorOf([&] { d.execute(QStringLiteral("insert into Mei (コード, 市場コード) values (1, 40000)")); }), db::ErrorNumber::Overflow);
    EXPECT_EQ(errorOf([&] { d.execute(QStringLiteral("insert into Mei (コード, 銘柄) values (1, '123456789012345678901')")); }), db::ErrorNumber::FieldTooSmall);
    EXPECT_EQ(errorOf([&] { d.execute(QStringLiteral("insert into informationClass (種類コード) values ('')")); }), db::ErrorNumber::ZeroLengthText);
    EXPECT_EQ(errorOf([&] { d.execute(QStringLiteral("insert into daydata (コード, 日付) values (1, 'yesterday')")); }), db::ErrorNumber::TypeMismatch);
    EXPECT_EQ(errorOf([&] { d.execute(QStringLiteral("insert into daydata (コード, 日付) values (1.5, #2000/01/01#)")); }), db::ErrorNumber::TypeMismatch);
    EXPECT_EQ(count(QStringLiteral("Mei")), 0);
}

TEST_F(Engine, CurrencyDatesAndBooleansReadBackAsTheirTypes)
{
    db::Database d(folder.dbPath());
    db::Recordset rs = d.openRecordset(QStringLiteral("select * from daydata"));
    rs.addNew();
    rs.setValue(QStringLiteral("コード"), 7203);
    rs.setValue(QStringLiteral("日付"), QStringLiteral("00/07/14"));
    rs.setValue(QStringLiteral("出来高"), QVariant::fromValue(Currency::fromText(QStringLiteral("1234.5678"))));
    rs.update();
    d.execute(QStringLiteral("insert into Mei (コード, 更新Flg) values (1, True)"));
    db::Recordset back = d.openRecordset(QStringLiteral("select * from daydata where 日付=#2000/07/14#"));
    ASSERT_FALSE(back.eof());
    EXPECT_EQ(back.value(QStringLiteral("日付")).toDate(), QDate(2000, 7, 14));
    EXPECT_EQ(back.toCurrency(QStringLiteral("出来高")).toString(), QStringLiteral("1234.5678"));
    EXPECT_TRUE(back.isNull(QStringLiteral("終値")));
    EXPECT_EQ(back.toLong(QStringLiteral("終値")), 0);
    EXPECT_EQ(d.openRecordset(QStringLiteral("select * from Mei where 更新Flg=True")).value(QStringLiteral("更新Flg")), QVariant(true));
    EXPECT_EQ(d.scalar(QStringLiteral("select Max(日付) as MaxDate from daydata")).toDate(), QDate(2000, 7, 14));
}

TEST_F(Engine, WriteBatchKeepsRowsSavedBeforeAnError)
{
    {
        db::Database d(folder.dbPath());
        try {
            db::WriteBatch batch(d);
            db::Recordset rs = d.openRecordset(QStringLiteral("dayData"));
            for (int code = 1; code <= 3; ++code) {
                rs.addNew();
                rs.setValue(QStringLiteral("コード"), code);
                rs.setValue(QStringLiteral("日付"), QDate(2000, 7, 14));
                rs.update();
            }
            // A duplicate is passed over; the batch goes on.
            EXPECT_EQ(errorOf([&] { d.execute(QStringLiteral("insert into daydata (コード, 日付) values (1, #2000/07/14#)")); }), 3022);
            rs.addNew();
            rs.setValue(QStringLiteral("コード"), 4);
            rs.setValue(QStringLiteral("日付"), QDate(2000, 7, 14));
            rs.update();
            throw std::runtime_error("stopped");
        } catch (const std::runtime_error &) {
        }
    }
    EXPECT_EQ(count(QStringLiteral("daydata")), 4);
    // Closing checkpoints: the database file alone, copied as a backup would, holds every row.
    const QString copy = folder.filePath(QStringLiteral("copy.mdb"));
    ASSERT_TRUE(QFile::copy(folder.dbPath(), copy));
    db::Database d(copy);
    EXPECT_EQ(d.scalar(QStringLiteral("select Count(*) from daydata")).toLongLong(), 4);
}

TEST_F(Engine, FilesThatAreNotOursAreRefusedUntouched)
{
    const QString path = folder.filePath(QStringLiteral("other.mdb"));
    const QByteArray variants[] = {QByteArray(), QByteArray("Standard Jet DB\0garbage", 23), QByteArray(4096, '\x5a')};
    for (const QByteArray &content : variants) {
        {
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(content);
        }
        EXPECT_FALSE(db::Database::isOwnDatabase(path));
        EXPECT_EQ(errorOf([&] { db::Database d(path); }), db::ErrorNumber::UnrecognizedFormat);
        EXPECT_EQ(readFileBytes(path), content);
    }
    // Another program's SQLite file.
    QFile::remove(path);
    sqlite3 *h = nullptr;
    ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &h), SQLITE_OK);
    sqlite3_exec(h, "create table x(a)", nullptr, nullptr, nullptr);
    sqlite3_close(h);
    const QByteArray before = readFileBytes(path);
    EXPECT_EQ(errorOf([&] { db::Database d(path); }), db::ErrorNumber::UnrecognizedFormat);
    EXPECT_EQ(readFileBytes(path), before);
    EXPECT_EQ(errorOf([&] { db::Database d(folder.filePath(QStringLiteral("missing.mdb"))); }), db::ErrorNumber::FileNotFound);
}

TEST_F(Engine, ReadOnlyDatabaseIsRefused)
{
    QFile::setPermissions(folder.dbPath(), QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    if (QFileInfo(folder.dbPath()).isWritable())
        GTEST_SKIP() << "running as a user who can write read-only files";
    EXPECT_EQ(errorOf([&] { db::Database d(folder.dbPath()); }), db::ErrorNumber::FileInUse);
}

TEST_F(Engine, WriteBatchGroupsShortSafePointsAndCommitsOnRequest)
{
    db::Database writer(folder.dbPath());
    auto rowsSeenElsewhere = [&] {
        db::Database reader(folder.dbPath()); // a second connection sees committed rows only
        return reader.scalar(QStringLiteral("select Count(*) from daydata")).toLongLong();
    };
    db::WriteBatch batch(writer);
    writer.execute(QStringLiteral("insert into daydata (コード, 日付) values (1, #2000/07/14#)"));
    batch.commit(); // a safe point right after the start: carried on
    EXPECT_EQ(rowsSeenElsewhere(), 0);
    batch.commitNow();
    EXPECT_EQ(rowsSeenElsewhere(), 1);
    writer.execute(QStringLiteral("insert into daydata (コード, 日付) values (2, #2000/07/14#)"));
    QThread::msleep(db::WriteBatch::GroupMs + 50);
    batch.commit(); // open long enough: committed
    EXPECT_EQ(rowsSeenElsewhere(), 2);
}

void insertDays(db::Database &d, int codes)
{
    for (int code = 1; code <= codes; ++code)
        d.execute(QStringLiteral("insert into daydata (コード, 日付, 終値) values (%1, #2000/07/14#, 100)").arg(code));
}

#if defined(Q_OS_UNIX)

TEST_F(Engine, FailedCommitOfABatchIsRaisedNotDropped)
{
    // Far below what the log of 2000 rows needs.
    const rlim_t limit = 32 * 1024;
    // finish() raises, and nothing of the batch is kept.
    {
        db::Database d(folder.dbPath());
        db::WriteBatch batch(d);
        insertDays(d, 2000);
        FileSizeLimit small(limit);
        EXPECT_NE(errorOf([&] { batch.finish(); }), 0);
    }
    EXPECT_EQ(count(QStringLiteral("daydata")), 0);
    // A batch left without finish() raises from its end of scope.
    {
        db::Database d(folder.dbPath());
        EXPECT_NE(errorOf([&] {
                      FileSizeLimit small(limit); // the rows stay in memory until the commit
                      db::WriteBatch batch(d);
                      insertDays(d, 2000);
                  }),
                  0);
    }
    EXPECT_EQ(count(QStringLiteral("daydata")), 0);
}

TEST_F(Engine, FailedWriteBackOnCloseIsRaisedAndTheRowsStayInTheLog)
{
    {
        db::Database d(folder.dbPath());
        db::WriteBatch batch(d);
        insertDays(d, 2000);
        batch.finish();
        FileSizeLimit small(32 * 1024); // the database file is larger: writing back fails
        EXPECT_NE(errorOf([&] { d.close(); }), 0);
    }
    db::Database::closeAll();
    EXPECT_EQ(count(QStringLiteral("daydata")), 2000);
}
#endif

TEST_F(Engine, BatchOnADatabaseThatRefusesWritesRaises)
{
    db::Database d(folder.dbPath());
    d.executeRaw(QStringLiteral("PRAGMA query_only=1"));
    EXPECT_EQ(errorOf([&] {
                  db::WriteBatch batch(d);
                  insertDays(d, 1);
                  batch.finish();
              }),
              db::ErrorNumber::FileInUse);
    d.executeRaw(QStringLiteral("PRAGMA query_only=0"));
    EXPECT_EQ(d.scalar(QStringLiteral("select Count(*) from daydata")).toLongLong(), 0);
}

} // namespace
