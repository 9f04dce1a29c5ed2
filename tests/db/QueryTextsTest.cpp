// Query texts of the shapes the program sends (aliases, joins, grouping, wildcards built with &),
// with values filled in as its callers build them, run for real against a freshly created database.

#include "support/TestSupport.h"

#include "db/Database.h"
#include "db/Schema.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

struct QueryCase
{
    const char *text;
    int expectedRows; // rows of a select against the fixture; -1 for an action query
};

class QueryTexts : public ::testing::TestWithParam<QueryCase>
{
protected:
    void SetUp() override
    {
        folder.createDatabase();
        db::Database d(folder.dbPath());
        d.execute(QStringLiteral("insert into Mei (コード, 市場コード, 銘柄, 出来高単位, 株価単位, 更新Flg) values (7203, 1, 'トヨタ自動車', 100, 1, True)"));
        d.execute(QStringLiteral("insert into Mei (コード, 市場コード, 銘柄, 出来高単位, 株価単位, 更新Flg) values (1301, 1, 'ｷｮｸﾖｳ', 1000, 1, False)"));
        d.execute(QStringLiteral("insert into daydata values (7203, #2000/07/13#, 1000, 1010, 990, 1005, 5, 12000, 1005)"));
        d.execute(QStringLiteral("insert into daydata values (7203, #2000/07/14#, 1005, 1020, 1000, 1010, 5, 13000, 1010)"));
        d.execute(QStringLiteral("insert into daydata values (1301, #2000/07/14#, 200, 210, 190, 205, 0, 1000, 205)"));
        d.execute(QStringLiteral("insert into weekdata values (7203, #2000/07/14#, 1000, 1020, 990, 1010, 0, 25000, 1010, 10, 20)"));
        d.execute(QStringLiteral("insert into shinyo values (7203, #2000/07/14#, 10, 20, 1000)"));
        d.execute(QStringLiteral("insert into board values (1, 7203, 1, 'トヨタ自動車', #2000/07/14#, 1005, 1020, 1000, 1010, 5, 13000, 0, 0, 0)"));
        d.execute(QStringLiteral("insert into informationClass values ('d01', '値上がり率', 1)"));
        d.execute(QStringLiteral("insert into wrkinformationClass values ('d01', '値上がり率', 1)"));
        d.execute(QStringLiteral("insert into informationData values ('d01', #2000/07/14#, 1, 7203, 1010, 13000, 5, '0.5%', 0, 0, 'コメント', 'd')"));
    }
    TempProgramFolder folder;
};

TEST_P(QueryTexts, RunsAgainstTheSchema)
{
    const QueryCase c = GetParam();
    db::Database d(folder.dbPath());
    try {
        if (c.expectedRows < 0) {
            d.execute(QString::fromUtf8(c.text));
        } else {
            db::Recordset rs = d.openRecordset(QString::fromUtf8(c.text));
            if (!rs.eof())
                rs.moveLast();
            EXPECT_EQ(rs.recordCount(), c.expectedRows) << c.text;
        }
    } catch (const db::DbError &e) {
        ADD_FAILURE() << c.text << "\n  -> " << e.number() << " " << e.description().toStdString();
    }
}

const QueryCase queries[] = {
    {"SELECT Max(日付) AS MaxDate FROM daydata WHERE 日付 between #2000/05/15# and #2000/07/13# ;", 1},
    {"select コード, 市場コード from mei Daydata order by 市場コード, コード ;", 2},
    {"select * from daydata where コード=7203 and 日付 between #2000/07/10# and #2000/07/14# order by  日付 ;", 2},
    {"SELECT TOP 1 終値, 日付, 基準前日比 FROM weekdata WHERE コード=7203 And 日付<#2000/07/21# ORDER BY 日付 DESC;", 1},
    {"UPDATE weekData SET 売残 = 0, 買残 = 0 WHERE 日付=#2000/07/21#;", -1},
    {"select top 110 日付, 始値, 高値, 安値, 終値, 前日比, 出来高 from daydata where コード=7203 and 日付<=#2000/07/14#  order by 日付 desc ;", 2},
    {"select コード, 市場コード, 銘柄 from Mei where 銘柄 like '*ﾖｳ*' order by 市場コード, コード ;", 1},
    {"select コード, 市場コード, 銘柄 from Mei where 銘柄 like '**' order by 市場コード, コード ;", 2},
    {"SELECT board.区分, board.コード, board.市場コード, Mei.銘柄 FROM board INNER JOIN Mei AS Mei ON (board.市場コード = Mei.市場コード) where (board.区分 = 1) AND (board.コード = Mei.コード)  ORDER BY board.市場コード, board.コード;", 1},
    {"SELECT Count(Left([種類コード],1)) AS wCount From wrkinformationClass WHERE 種類コード Like 'd' & '*' ;", 1},
    {"SELECT 種類コード, 日付, コメント From informationData GROUP BY 種類コード, 日付, コメント HAVING 種類コード='d01' ORDER BY 日付 desc;", 1},
    {"SELECT A.順位, A.コード, B.市場コード, B.銘柄, A.種類コード, A.日付, A.株価, A.出来高, A.前日比, A.値 FROM informationData AS A LEFT JOIN Mei AS B ON A.コード = B.コード WHERE A.種類コード='d01' AND A.日付=#2000/07/14# ORDER BY A.順位;", 1},
    {"SELECT Top 5 種類コード, 日付, コメント From informationData GROUP BY 種類コード, 日付, コメント HAVING 種類コード='d01' and 日付<=#2000/07/14# ORDER BY 日付 desc;", 1},
    {"SELECT A.表示順, B.種類コード, A.種類名, B.日付, B.順位, B.コード, Mei.銘柄, Mei.市場コード, B.株価, B.出来高, B.前日比, B.値 FROM (informationClass as A RIGHT JOIN informationData as B ON A.種類コード = B.種類コード) LEFT JOIN Mei ON B.コード = Mei.コード where B.コード=7203 order by B.日付 desc, A.表示順;", 1},
    {"delete * from informationData where Top種類コード='d' and 日付<#2000/01/01#;", -1},
    {"Update Mei set コード=7204, 市場コード=1 where コード=9999", -1},
};

INSTANTIATE_TEST_SUITE_P(AllQueries, QueryTexts, ::testing::ValuesIn(queries));

} // namespace
