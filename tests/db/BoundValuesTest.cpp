// Values bound to the ? marks of a query: the type rules of stored values hold for them, their
// text is never translated, and a query run for many values is prepared once. Translations handed
// out by the cache stay valid while it changes.

#include "support/TestSupport.h"

#include "db/Database.h"
#include "db/Schema.h"
#include "db/SqlTranslator.h"

#include <functional>
#include <utility>

#include <gtest/gtest.h>

#include <sqlite3.h>

using namespace testing_support;

namespace {

class BoundValues : public ::testing::Test
{
protected:
    void SetUp() override { folder.createDatabase(); }
    static int errorOf(const std::function<void()> &f) { return testing_support::dbErrorNumberOf(f); }
    // The statements prepared on the connection, and how many of them ran at least runs times.
    static std::pair<int, int> preparedStatements(const db::Database &d, int runs)
    {
        int prepared = 0, reused = 0;
        for (sqlite3_stmt *s = sqlite3_next_stmt(d.handle(), nullptr); s; s = sqlite3_next_stmt(d.handle(), s)) {
            ++prepared;
            if (sqlite3_stmt_status(s, SQLITE_STMTSTATUS_RUN, 0) >= runs)
                ++reused;
        }
        return {prepared, reused};
    }
    TempProgramFolder folder;
};

TEST_F(BoundValues, DatesCompareWithRowsStoredFromLiteralsAndReadBackAsDates)
{
    db::Database d(folder.dbPath());
    d.execute(QStringLiteral("insert into daydata (コード, 日付, 終値) values (7203, #2000/07/13#, 1)"));
    d.execute(QStringLiteral("insert into daydata (コード, 日付, 終値) values (?, ?, ?)"), {7203, QDate(2000, 7, 14), 2});
    d.execute(QStringLiteral("insert into daydata (コード, 日付, 終値) values (?, ?, ?)"), {7203, QDateTime(QDate(2000, 7, 17), QTime(0, 0)), 3});

    EXPECT_EQ(d.scalar(QStringLiteral("select 終値 from daydata where 日付=#2000/07/14#")).toLongLong(), 2);
    EXPECT_EQ(d.scalar(QStringLiteral("select 終値 from daydata where 日付=?"), {QDate(2000, 7, 13)}).toLongLong(), 1);
    EXPECT_EQ(d.scalar(QStringLiteral("select 終値 from daydata where 日付=#2000/07/17#")).toLongLong(), 3);
    EXPECT_EQ(d.scalar(QStringLiteral("select Count(*) from daydata where 日付 between ? and ?"), {QDate(2000, 7, 13), QDate(2000, 7, 14)})
                  .toLongLong(),
              2);
    EXPECT_EQ(d.scalar(QStringLiteral("select Max(日付) from daydata where 日付<?"), {QDate(2000, 7, 17)}).toDate(), QDate(2000, 7, 14));
    db::Recordset rs = d.openRecordset(QStringLiteral("select * from daydata where コード=? and 日付>=? order by 日付"),
                                       {qint64(7203), QDate(2000, 7, 14)}, db::RecordsetType::ForwardOnly);
    ASSERT_FALSE(rs.eof());
    EXPECT_EQ(rs.value(QStringLiteral("日付")), QVariant(QDate(2000, 7, 14)));

    // A time other than midnight is kept, as a literal with a time keeps it.
    d.execute(QStringLiteral("insert into stockmarketImported (取引キー, 取込日) values (?, ?)"),
              {QStringLiteral("k"), QDateTime(QDate(2000, 7, 14), QTime(10, 30))});
    EXPECT_EQ(d.scalar(QStringLiteral("select Count(*) from stockmarketImported where 取込日=#2000/07/14 10:30:00#")).toLongLong(), 1);
}

TEST_F(BoundValues, TextsAreStoredAndMatchedAsTheyStand)
{
    db::Database d(folder.dbPath());
    const QString odd = QStringLiteral("O'Neil *#? [x]");
    d.execute(QStringLiteral("insert into Mei (コード, 銘柄) values (?, ?)"), {1, odd});
    d.execute(QStringLiteral("insert into Mei (コード, 銘柄) values (?, ?)"), {2, QStringLiteral("100%_off")});
    d.execute(QStringLiteral("insert into Mei (コード, 銘柄) values (?, ?)"), {3, QStringLiteral("1000 off")});
    EXPECT_EQ(d.scalar(QStringLiteral("select 銘柄 from Mei where コード=?"), {1}).toString(), odd);
    EXPECT_EQ(d.scalar(QStringLiteral("select コード from Mei where 銘柄=?"), {odd}).toLongLong(), 1);
    // A ? inside quotes is text, not a mark.
    EXPECT_EQ(d.scalar(QStringLiteral("select コード from Mei where 銘柄<>'?' and コード=?"), {2}).toLongLong(), 2);

    // Inside a LIKE pattern a bound text is no pattern: neither the dialect's wildcards nor SQLite's.
    const auto matching = [&](const QString &pattern, const QString &value) {
        QList<qint64> codes;
        for (db::Recordset rs = d.openRecordset(QStringLiteral("select コード from Mei where 銘柄 like ") + pattern + QStringLiteral(" order by コード"), {value});
             !rs.eof(); rs.moveNext())
            codes.append(rs.toLong(QStringLiteral("コード")));
        return codes;
    };
    EXPECT_EQ(matching(QStringLiteral("'*' & ? & '*'"), QStringLiteral("%_")), QList<qint64>{2});
    EXPECT_EQ(matching(QStringLiteral("'*' & ? & '*'"), QStringLiteral("?")), QList<qint64>{1});
    EXPECT_EQ(matching(QStringLiteral("? & '*'"), QStringLiteral("100")), (QList<qint64>{2, 3}));
    EXPECT_EQ(matching(QStringLiteral("?"), QStringLiteral("1_00 off")), QList<qint64>{});
}

TEST_F(BoundValues, NullsBooleansAndCurrencyBindAsTheirLiterals)
{
    db::Database d(folder.dbPath());
    d.execute(QStringLiteral("insert into Mei (コード, 銘柄, 更新Flg) values (1, 'a', True)"));
    d.execute(QStringLiteral("insert into Mei (コード, 銘柄, 更新Flg) values (?, ?, ?)"), {2, nullptr, false});
    EXPECT_EQ(d.scalar(QStringLiteral("select コード from Mei where 更新Flg=?"), {true}).toLongLong(), 1);
    EXPECT_EQ(d.scalar(QStringLiteral("select コード from Mei where 更新Flg=False")).toLongLong(), 2);
    EXPECT_EQ(d.execute(QStringLiteral("update Mei set 銘柄=? where コード=?"), {db::Param(QVariant()), 1}), 1);
    EXPECT_EQ(d.scalar(QStringLiteral("select Count(*) from Mei where 銘柄 is null")).toLongLong(), 2);

    d.execute(QStringLiteral("insert into daydata (コード, 日付, 出来高) values (?, ?, ?)"),
              {1, QDate(2000, 7, 14), Currency::fromText(QStringLiteral("1234.5678"))});
    EXPECT_EQ(d.scalar(QStringLiteral("select 出来高 from daydata")).value<Currency>().toString(), QStringLiteral("1234.5678"));
    EXPECT_EQ(d.scalar(QStringLiteral("select コード from daydata where 出来高=1234.5678")).toLongLong(), 1);
}

TEST_F(BoundValues, FieldRulesHoldForBoundValuesAndAWrongCountIsRefused)
{
    db::Database d(folder.dbPath());
    EXPECT_EQ(errorOf([&] { d.execute(QStringLiteral("insert into Mei (コード, 市場コード) values (?, ?)"), {1, 40000}); }),
              db::ErrorNumber::Overflow);
    EXPECT_EQ(errorOf([&] { d.execute(QStringLiteral("insert into Mei (コード) values (?)"), {qint64(2147483648)}); }), db::ErrorNumber::Overflow);
    EXPECT_EQ(errorOf([&] { d.execute(QStringLiteral("insert into Mei (コード, 銘柄) values (?, ?)"), {1, QString(21, QLatin1Char('x'))}); }),
              db::ErrorNumber::FieldTooSmall);
    EXPECT_EQ(errorOf([&] { d.execute(QStringLiteral("insert into informationClass (種類コード) values (?)"), {QString()}); }),
              db::ErrorNumber::ZeroLengthText);
    EXPECT_EQ(errorOf([&] { d.execute(QStringLiteral("insert into daydata (コード, 日付) values (?, ?)"), {1, QDate()}); }),
              db::ErrorNumber::TypeMismatch);
    EXPECT_EQ(errorOf([&] { d.execute(QStringLiteral("insert into daydata (コード, 日付) values (?, ?)"), {1.5, QDate(2000, 1, 1)}); }),
              db::ErrorNumber::TypeMismatch);
    EXPECT_EQ(d.scalar(QStringLiteral("select Count(*) from Mei")).toLongLong(), 0);

    EXPECT_EQ(errorOf([&] { d.scalar(QStringLiteral("select * from Mei where コード=? and 市場コード=?"), {1}); }), db::ErrorNumber::TooFewParameters);
    EXPECT_EQ(errorOf([&] { d.execute(QStringLiteral("delete * from Mei where コード=?"), {1, 2}); }), db::ErrorNumber::TooFewParameters);
    // The statement refused goes back whole: the same text runs with the right count.
    d.execute(QStringLiteral("insert into Mei (コード, 市場コード) values (?, ?)"), {1, 1});
    EXPECT_EQ(d.scalar(QStringLiteral("select * from Mei where コード=? and 市場コード=?"), {1, 1}).toLongLong(), 1);
}

TEST_F(BoundValues, AQueryRunForManyValuesIsPreparedOnce)
{
    db::Database d(folder.dbPath());
    const auto perIssue = [&](int code) {
        d.execute(QStringLiteral("insert into Mei (コード, 銘柄) values (?, ?)"), {code, QString::number(code)});
        db::Recordset rs = d.openRecordset(QStringLiteral("select * from Mei where コード=? ;"), {code});
        rs.edit();
        rs.setValue(QStringLiteral("市場コード"), 1);
        rs.update();
        d.scalar(QStringLiteral("select top 1 日付 from daydata where コード=? and 日付<=? order by 日付 desc"), {code, QDate(2000, 1, 1).addDays(code)});
    };
    perIssue(1);
    const int prepared = preparedStatements(d, 1).first;
    for (int code = 2; code <= 300; ++code)
        perIssue(code);
    // No statement was added, and the insert, the select, the update of its row and the scalar
    // each ran every time on one statement.
    EXPECT_EQ(preparedStatements(d, 300), std::make_pair(prepared, 4));
    EXPECT_EQ(d.scalar(QStringLiteral("select Count(*) from Mei where 市場コード=1")).toLongLong(), 300);
}

TEST(TranslationCache, TranslationsHandedOutStayWholeWhileTheCacheChanges)
{
    const QString first = QStringLiteral("select * from daydata where コード=? and 日付<=#2000/07/14#");
    const std::shared_ptr<const db::TranslatedQuery> kept = db::translateCached(first);
    // Enough other texts to make the cache grow, rehash and start afresh.
    for (int i = 0; i < 5000; ++i)
        db::translateCached(QStringLiteral("select * from Mei where コード=%1").arg(i));
    EXPECT_EQ(kept->sql, QStringLiteral("SELECT * from daydata where コード=? and 日付<='2000-07-14'"));
    EXPECT_EQ(kept->baseTable, QStringLiteral("daydata"));
    EXPECT_EQ(db::translateCached(first)->sql, kept->sql);
}

} // namespace
