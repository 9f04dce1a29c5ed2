#include "support/TestSupport.h"

#include "db/Database.h"
#include "db/RowInserter.h"
#include "db/Schema.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

class Records : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder.createDatabase();
        db::Database d(folder.dbPath());
        const char *rows[] = {"(1301, 1, '極洋', 1000, 1)", "(1332, 1, '日本水産', 1000, 1)", "(7203, 1, 'トヨタ自動車', 100, 1)",
                              "(9984, 2, 'ｿﾌﾄﾊﾞﾝｸ', 100, 10)"};
        for (const char *r : rows)
            d.execute(QStringLiteral("insert into Mei (コード, 市場コード, 銘柄, 出来高単位, 株価単位) values ") + QString::fromUtf8(r));
    }
    TempProgramFolder folder;
};

TEST_F(Records, NavigatesAndCountsLikeADynaset)
{
    db::Database d(folder.dbPath());
    db::Recordset rs = d.openRecordset(QStringLiteral("select * from Mei order by コード"));
    EXPECT_FALSE(rs.eof());
    EXPECT_EQ(rs.toLong(QStringLiteral("コード")), 1301);
    EXPECT_LT(rs.recordCount(), 4); // exact only after moveLast
    rs.moveLast();
    EXPECT_EQ(rs.recordCount(), 4);
    EXPECT_EQ(rs.toText(QStringLiteral("銘柄")), QStringLiteral("ｿﾌﾄﾊﾞﾝｸ"));
    rs.movePrevious();
    EXPECT_EQ(rs.toLong(QStringLiteral("コード")), 7203);
    rs.moveFirst();
    rs.movePrevious();
    EXPECT_TRUE(rs.bof());
    rs.moveLast();
    rs.moveNext();
    EXPECT_TRUE(rs.eof());

    db::Recordset empty = d.openRecordset(QStringLiteral("select * from Mei where コード=1"));
    EXPECT_TRUE(empty.eof());
    EXPECT_TRUE(empty.bof());
    EXPECT_EQ(empty.recordCount(), 0);
}

TEST_F(Records, ForwardOnlyPassesEveryRowOnceAndWritesTheCurrentOne)
{
    db::Database d(folder.dbPath());
    db::Recordset rs = d.openRecordset(QStringLiteral("select コード, 株価単位 from Mei order by コード"), db::RecordsetType::ForwardOnly);
    QList<qint64> codes;
    for (; !rs.eof(); rs.moveNext()) {
        codes << rs.toLong(QStringLiteral("コード"));
        if (codes.last() == 7203) {
            rs.edit();
            rs.setValue(QStringLiteral("株価単位"), 5);
            rs.update();
        } else if (codes.last() == 1332) {
            rs.deleteCurrent();
        }
    }
    EXPECT_EQ(codes, (QList<qint64>{1301, 1332, 7203, 9984}));
    EXPECT_THROW(rs.moveFirst(), db::DbError); // the rows behind are gone
    EXPECT_EQ(d.scalar(QStringLiteral("select 株価単位 from Mei where コード=7203")).toInt(), 5);
    EXPECT_EQ(d.scalar(QStringLiteral("select Count(*) from Mei")).toInt(), 3);
}

TEST_F(Records, FindFirstAndCloneAreIndependentCursors)
{
    db::Database d(folder.dbPath());
    db::Recordset rs = d.openRecordset(QStringLiteral("Mei"));
    EXPECT_TRUE(rs.findFirst(QStringLiteral("銘柄 like '*水産*'")));
    EXPECT_EQ(rs.toLong(QStringLiteral("コード")), 1332);
    EXPECT_FALSE(rs.findFirst(QStringLiteral("コード=5555")));
    EXPECT_TRUE(rs.noMatch());
    EXPECT_EQ(rs.toLong(QStringLiteral("コード")), 1332); // position unchanged
    db::Recordset copy = rs.clone();
    copy.moveLast();
    EXPECT_EQ(copy.toLong(QStringLiteral("コード")), 9984);
    EXPECT_EQ(rs.toLong(QStringLiteral("コード")), 1332);
}

TEST_F(Records, EditAndDeleteWriteThroughAtOnce)
{
    db::Database d(folder.dbPath());
    {
        db::Recordset rs = d.openRecordset(QStringLiteral("select * from mei where コード=7203 ;"));
        rs.edit();
        rs.setValue(QStringLiteral("銘柄"), QStringLiteral("ﾄﾖﾀ"));
        rs.update();
        EXPECT_EQ(rs.toText(QStringLiteral("銘柄")), QStringLiteral("ﾄﾖﾀ"));
    }
    {
        db::Database other(folder.dbPath()); // another operation sees it
        EXPECT_EQ(db::NameOfIssue(other, 7203), QStringLiteral("ﾄﾖﾀ"));
    }
    db::Recordset all = d.openRecordset(QStringLiteral("select * from Mei order by コード"));
    all.moveNext();
    all.deleteCurrent();
    all.moveNext();
    EXPECT_EQ(all.toLong(QStringLiteral("コード")), 7203);
    EXPECT_EQ(d.scalar(QStringLiteral("select Count(*) from Mei")).toLongLong(), 3);
    EXPECT_EQ(db::MarketOfIssue(d, 1332), 0);
}

TEST_F(Records, AliasedSourcesStayUpdatableAndAggregatesDoNot)
{
    db::Database d(folder.dbPath());
    db::Recordset aliased = d.openRecordset(QStringLiteral("select コード, 市場コード from mei Daydata order by 市場コード, コード ;"));
    EXPECT_TRUE(aliased.isUpdatable());
    aliased.moveLast();
    EXPECT_EQ(aliased.toLong(QStringLiteral("コード")), 9984);
    db::Recordset grouped = d.openRecordset(QStringLiteral("select 市場コード, Count(コード) as n from Mei group by 市場コード"));
    EXPECT_FALSE(grouped.isUpdatable());
    EXPECT_THROW(grouped.edit(), db::DbError);
}

} // namespace

TEST_F(Records, RowInserterStoresWhatAnUpdateWouldAndChecksTheSameRules)
{
    db::Database d(folder.dbPath());
    db::RowInserter rows(d, QStringLiteral("daydata"), {QStringLiteral("コード"), QStringLiteral("日付"), QStringLiteral("出来高")});
    EXPECT_TRUE(rows.insert({1301, QDate(2000, 7, 14), QVariant::fromValue(Currency::fromInt(5000))}));
    EXPECT_FALSE(rows.insert({1301, QDate(2000, 7, 14), 1})); // the key is there: passed over, nothing written
    EXPECT_EQ(d.scalar(QStringLiteral("select 出来高 from daydata where コード=1301 and 日付=#2000/07/14#")).value<Currency>().raw(),
              Currency::fromInt(5000).raw());
    EXPECT_EQ(d.scalar(QStringLiteral("select Count(*) from daydata")).toInt(), 1);
    try {
        rows.insert({qint64(1) << 40, QDate(2000, 7, 17), 1});
        ADD_FAILURE() << "a code beyond a Long was stored";
    } catch (const db::DbError &e) {
        EXPECT_EQ(e.number(), db::ErrorNumber::Overflow);
    }
    EXPECT_THROW(db::RowInserter(d, QStringLiteral("daydata"), {QStringLiteral("終り値")}), db::DbError);

    // Value by value: the same stored values, and a date kept bound only while it is the one given.
    const auto row = [&](qint64 code, const QDate &date, const Currency &volume) {
        rows.setWhole(0, code);
        rows.setDate(1, date);
        rows.setCurrency(2, volume);
        return rows.insertRow();
    };
    EXPECT_TRUE(row(1302, QDate(2000, 7, 17), Currency::fromRaw(12345)));
    EXPECT_TRUE(row(1303, QDate(2000, 7, 17), Currency::fromInt(7)));
    EXPECT_TRUE(rows.insert({1304, QDate(2000, 7, 18), 1}));
    EXPECT_TRUE(row(1304, QDate(2000, 7, 17), Currency::fromInt(8)));
    EXPECT_FALSE(row(1304, QDate(2000, 7, 17), Currency::fromInt(9)));
    const auto stored = [&](const QString &where) {
        return d.scalar(QStringLiteral("select 日付 from daydata where ") + where).toDate().toString(Qt::ISODate) + QLatin1Char(' ') + d.scalar(QStringLiteral("select 出来高 from daydata where ") + where).value<Currency>().toString();
    };
    EXPECT_EQ(stored(QStringLiteral("コード=1302")), QStringLiteral("2000-07-17 1.2345"));
    EXPECT_EQ(stored(QStringLiteral("コード=1303")), QStringLiteral("2000-07-17 7"));
    EXPECT_EQ(stored(QStringLiteral("コード=1304 and 日付=#2000/07/17#")), QStringLiteral("2000-07-17 8"));
    try {
        rows.setWhole(0, qint64(1) << 40);
        ADD_FAILURE() << "a code beyond a Long was bound";
    } catch (const db::DbError &e) {
        EXPECT_EQ(e.number(), db::ErrorNumber::Overflow);
    }
}
