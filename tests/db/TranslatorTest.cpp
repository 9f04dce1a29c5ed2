#include "db/DbError.h"
#include "db/SqlTranslator.h"

#include <gtest/gtest.h>

namespace {

const QDate Today(2026, 12, 5);

struct TranslationCase
{
    const char *legacy;
    const char *sqlite;
};

class Translation : public ::testing::TestWithParam<TranslationCase>
{
};

TEST_P(Translation, ProducesSqlite)
{
    EXPECT_EQ(db::translate(QString::fromUtf8(GetParam().legacy), Today).sql.toStdString(), std::string(GetParam().sqlite));
}

const TranslationCase cases[] = {
    // Date literals: our own form, two-digit years in the window, ISO, month/day/year, with time.
    {"select * from t where d=#2000/07/14#", "SELECT * from t where d='2000-07-14'"},
    {"select * from t where d=#00/07/14#", "SELECT * from t where d='2000-07-14'"},
    {"select * from t where d=#47/01/02#", "SELECT * from t where d='1947-01-02'"},
    {"select * from t where d=#45/01/02#", "SELECT * from t where d='2045-01-02'"},
    {"select * from t where d=#2000-7-4#", "SELECT * from t where d='2000-07-04'"},
    {"select * from t where d=#7/14/2000#", "SELECT * from t where d='2000-07-14'"},
    {"select * from t where d<#2000/07/14 10:30:00#", "SELECT * from t where d<'2000-07-14 10:30:00'"},
    // LIKE wildcards, also in patterns built with &, and escaping of SQLite's own wildcards.
    {"select * from Mei where 銘柄 like '*ﾄﾖﾀ*' order by コード", "SELECT * from Mei where 銘柄 LIKE '%ﾄﾖﾀ%' ESCAPE '\\' order by コード"},
    {"select * from c WHERE k Like 'd' & '*'  order by n", "SELECT * from c WHERE k LIKE 'd' || '%' ESCAPE '\\' order by n"},
    {"select * from c where k like 'a?_%[*]'", "SELECT * from c where k LIKE 'a_\\_\\%*' ESCAPE '\\'"},
    {"select * from c where (k like '*x') and n=1", "SELECT * from c where (k LIKE '%x' ESCAPE '\\') and n=1"},
    // Quotes inside strings stay as they are; double-quoted strings become single-quoted.
    {"select * from Mei where 銘柄='O''Neil*'", "SELECT * from Mei where 銘柄='O''Neil*'"},
    {"select * from Mei where 銘柄=\"it's\"", "SELECT * from Mei where 銘柄='it''s'"},
    {"select * from Mei where 銘柄 like '*''*'", "SELECT * from Mei where 銘柄 LIKE '%''%' ESCAPE '\\'"},
    // & concatenation, delete *, top n, brackets, booleans.
    {"select a & 'x' from t", "SELECT a || 'x' from t"},
    {"delete * from daydata where コード=1", "DELETE from daydata where コード=1"},
    {"select top 110 * from daydata where コード=1 order by 日付 desc ;", "SELECT * from daydata where コード=1 order by 日付 desc LIMIT 110"},
    {"SELECT TOP 1 終値 FROM w WHERE (SELECT top 2 x FROM y) > 0", "SELECT 終値 FROM w WHERE (SELECT x FROM y LIMIT 2) > 0 LIMIT 1"},
    {"select [種類コード] from [informationClass]", "SELECT \"種類コード\" from \"informationClass\""},
    {"select * from Mei where 更新Flg=False or 更新Flg=true", "SELECT * from Mei where 更新Flg=0 or 更新Flg=1"},
    {"select * from t where 'True'=x", "SELECT * from t where 'True'=x"},
    {"select a mod 7 from t", "SELECT a % 7 from t"},
};

INSTANTIATE_TEST_SUITE_P(Dialect, Translation, ::testing::ValuesIn(cases));

TEST(Translator, FindsTheSingleBaseTableOfASelect)
{
    const auto plain = db::translate(QStringLiteral("select * from mei Daydata order by 市場コード"), Today);
    EXPECT_EQ(plain.baseTable, QStringLiteral("mei"));
    EXPECT_EQ(plain.baseQualifier, QStringLiteral("Daydata"));
    const auto aliased = db::translate(QStringLiteral("select * from informationData as A Where 種類コード = 'd'"), Today);
    EXPECT_EQ(aliased.baseTable, QStringLiteral("informationData"));
    EXPECT_EQ(aliased.baseQualifier, QStringLiteral("A"));
    for (const char *notUpdatable : {"select Max(日付) as m from daydata", "select コード from daydata group by コード",
                                     "select * from a inner join b on a.x=b.x", "select * from a, b", "select distinct x from a"}) {
        EXPECT_TRUE(db::translate(QString::fromUtf8(notUpdatable), Today).baseTable.isEmpty()) << notUpdatable;
    }
}

TEST(Translator, RejectsMalformedTextWithASyntaxError)
{
    for (const char *bad : {"select * from t where a='open", "select * from t where d=#2000/13/45#", "select * from [t",
                            "select top from t", "select * from t where d=#2000/07/14"}) {
        try {
            db::translate(QString::fromUtf8(bad), Today);
            ADD_FAILURE() << "accepted: " << bad;
        } catch (const db::DbError &e) {
            EXPECT_EQ(e.number(), db::ErrorNumber::SyntaxError) << bad;
            EXPECT_FALSE(e.description().isEmpty());
        }
    }
}

} // namespace
