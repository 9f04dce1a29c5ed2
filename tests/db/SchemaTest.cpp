#include "support/TestSupport.h"

#include "db/Database.h"
#include "db/Schema.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

using namespace testing_support;

namespace {

QStringList column(db::Database &d, const QString &sqliteSql)
{
    QStringList out;
    sqlite3_stmt *s = nullptr;
    sqlite3_prepare_v2(d.handle(), sqliteSql.toUtf8().constData(), -1, &s, nullptr);
    while (sqlite3_step(s) == SQLITE_ROW)
        out.append(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s, 0))));
    sqlite3_finalize(s);
    return out;
}

class Schema : public ::testing::Test
{
protected:
    void SetUp() override { folder.createDatabase(); }
    TempProgramFolder folder;
};

TEST_F(Schema, SeedsTheSixMarketsAndNothingElse)
{
    db::Database d(folder.dbPath());
    EXPECT_EQ(column(d, QStringLiteral("select コード || ':' || 市場 || ':' || 略称 from Shijyo order by rowid")),
              (QStringList{"1:東証１部:東１", "2:東証２部:東２", "4:大証:大証", "5:名証:名証", "6:その他:その他", "3:店頭:店頭"}));
    for (const QString &t : db::tableNames()) {
        if (t != QLatin1String("Shijyo")) {
            EXPECT_EQ(d.scalar(QStringLiteral("select Count(*) from ") + t).toLongLong(), 0) << t.toStdString();
        }
    }
}

QStringList issueIndexColumns(db::Database &d)
{
    return column(d, QStringLiteral("select name || (case desc when 1 then ' desc' else '' end) from pragma_index_xinfo('informationData.コード') "
                                    "where key=1 order by seqno"));
}

// A file of an older layout, with the issue index gone as it was before its step, gains it when it
// is first opened and keeps every row: the price, ranking and ledger rows alike.
TEST_F(Schema, AnOlderFileGainsTheIssueIndexOfTheRankingsAndKeepsEveryRow)
{
    const QStringList expected{QStringLiteral("コード"), QStringLiteral("種類コード"), QStringLiteral("日付 desc")};
    {
        db::Database d(folder.dbPath());
        EXPECT_EQ(issueIndexColumns(d), expected) << "a new file has it from the start";
    }
    const char *olderLayouts[] = {"DROP INDEX \"informationData.コード\"; PRAGMA user_version=3",
                                  "DROP INDEX \"informationData.コード\"; DROP TABLE adjustment; DROP TABLE stockmarketImported; "
                                  "PRAGMA user_version=1"};
    for (const char *older : olderLayouts) {
        QStringList before;
        {
            db::Database d(folder.dbPath());
            d.execute(QStringLiteral("delete * from informationData"));
            for (int i = 0; i < 30; ++i) {
                d.execute(QStringLiteral("insert into informationData (種類コード, 日付, 順位, コード, 株価, 値, Top種類コード) values (?, ?, ?, ?, ?, ?, 'd')"),
                          {QStringLiteral("d0%1").arg(i % 3 + 1), QDate(2000, 7, 3).addDays(i / 3), i, 1301 + i % 4, 100 + i, QStringLiteral("v%1").arg(i)});
            }
            d.execute(QStringLiteral("insert into dayData (コード, 日付, 終値) values (1301, #2000/07/03#, 500)"));
            before = column(d, QStringLiteral("select 種類コード || 日付 || 順位 || コード || 株価 || 値 from informationData order by rowid"));
            d.executeRaw(QString::fromUtf8(older));
            ASSERT_TRUE(issueIndexColumns(d).isEmpty());
            d.close();
        }
        db::Database::closeAll();
        db::Database d(folder.dbPath());
        EXPECT_EQ(d.scalarRaw(QStringLiteral("PRAGMA user_version")).toInt(), db::SchemaVersion) << older;
        EXPECT_EQ(issueIndexColumns(d), expected) << older;
        EXPECT_EQ(column(d, QStringLiteral("select 種類コード || 日付 || 順位 || コード || 株価 || 値 from informationData order by rowid")), before);
        EXPECT_EQ(d.scalar(QStringLiteral("select Count(*) from dayData")).toLongLong(), 1);
        EXPECT_EQ(d.scalarRaw(QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
        d.executeRaw(QStringLiteral("delete from dayData"));
    }
}

struct KeyCase
{
    const char *first;
    const char *second;
    bool duplicate;
};

class Keys : public Schema, public ::testing::WithParamInterface<KeyCase>
{
};

TEST_P(Keys, PrimaryAndUniqueIndexesRefuseDuplicates)
{
    db::Database d(folder.dbPath());
    d.execute(QString::fromUtf8(GetParam().first));
    int number = 0;
    try {
        d.execute(QString::fromUtf8(GetParam().second));
    } catch (const db::DbError &e) {
        number = e.number();
    }
    EXPECT_EQ(number, GetParam().duplicate ? 3022 : 0);
}

const KeyCase keyCases[] = {
    {"insert into dayData (コード, 日付) values (1, #2000/01/04#)", "insert into dayData (コード, 日付) values (1, #2000/01/04#)", true},
    {"insert into dayData (コード, 日付) values (1, #2000/01/04#)", "insert into dayData (コード, 日付) values (2, #2000/01/04#)", false},
    {"insert into weekData (コード, 日付) values (1, #2000/01/07#)", "insert into weekData (コード, 日付) values (1, #2000/01/07#)", true},
    {"insert into shinyo (コード, 日付) values (1, #2000/01/07#)", "insert into shinyo (コード, 日付) values (1, #2000/01/07#)", true},
    {"insert into board (区分, コード) values (1, 7203)", "insert into board (区分, コード) values (1, 7203)", true},
    {"insert into board (区分, コード) values (1, 7203)", "insert into board (区分, コード) values (2, 7203)", false},
    {"insert into informationData (種類コード, 日付, 順位, Top種類コード) values ('d01', #2000/01/07#, 1, 'd')",
     "insert into informationData (種類コード, 日付, 順位, Top種類コード) values ('d01', #2000/01/07#, 1, 'd')", true},
    {"insert into informationData (種類コード, 日付, 順位, Top種類コード) values ('d01', #2000/01/07#, 1, 'd')",
     "insert into informationData (種類コード, 日付, 順位, Top種類コード) values ('d01', #2000/01/07#, 2, 'd')", false},
    {"insert into Mei (コード, 市場コード, 銘柄) values (1, 1, '同名')", "insert into Mei (コード, 市場コード, 銘柄) values (2, 1, '同名')", false},
    {"insert into Mei (コード, 市場コード) values (1, 1)", "insert into Mei (コード, 市場コード) values (1, 2)", true},
};

INSTANTIATE_TEST_SUITE_P(Tables, Keys, ::testing::ValuesIn(keyCases));

TEST_F(Schema, IssueWideDeleteAndCodeChange)
{
    db::Database d(folder.dbPath());
    d.execute(QStringLiteral("insert into Mei (コード, 市場コード) values (1301, 1)"));
    d.execute(QStringLiteral("insert into daydata (コード, 日付) values (1301, #2000/01/04#)"));
    d.execute(QStringLiteral("insert into shinyo (コード, 日付) values (1301, #2000/01/07#)"));
    d.execute(QStringLiteral("insert into stockmarket (コード) values (1301)"));
    db::ChangeIssueCode(d, QStringLiteral("set コード=1302 where コード=1301"));
    EXPECT_EQ(d.scalar(QStringLiteral("select コード from daydata")).toLongLong(), 1302);
    EXPECT_EQ(d.scalar(QStringLiteral("select コード from stockmarket")).toLongLong(), 1302);
    EXPECT_EQ(db::MarketOfIssue(d, 1301), 1); // Mei is not changed
    db::DeleteIssueRows(d, QStringLiteral(" where コード=1302 ;"));
    EXPECT_EQ(d.scalar(QStringLiteral("select Count(*) from daydata")).toLongLong(), 0);
    EXPECT_EQ(d.scalar(QStringLiteral("select Count(*) from shinyo")).toLongLong(), 0);
    EXPECT_EQ(d.scalar(QStringLiteral("select Count(*) from stockmarket")).toLongLong(), 1); // the ledger keeps its lots
}

} // namespace
