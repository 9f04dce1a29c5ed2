#include "InfoTestSupport.h"

#include "db/Database.h"
#include "db/SqlTranslator.h"
#include "info/InfoBrowser.h"
#include "info/InfoSearch.h"

#include <sqlite3.h>

#include <algorithm>

using namespace info_test;

namespace {

class InfoBrowser : public ServerFixture
{
protected:
    void SetUp() override
    {
        ServerFixture::SetUp();
        executeSql(QStringLiteral("insert into Mei (コード, 市場コード, 銘柄, 出来高単位, 株価単位, 更新Flg) values (1301, 1, '極洋', 1000, 1, True)"));
        executeSql(QStringLiteral("insert into Mei (コード, 市場コード, 銘柄, 出来高単位, 株価単位, 更新Flg) values (1332, 2, 'ﾆｯｽｲ', 1000, 1, True)"));
        MainModule::MarketAbbrev[1] = QStringLiteral("東１");
        MainModule::MarketAbbrev[2] = QStringLiteral("東２");
    }
    void row(const QString &kind, const QDate &date, int rank, int code, int price, int volume)
    {
        executeSql(QStringLiteral("insert into informationData (種類コード, 日付, 順位, コード, 株価, 出来高, 前日比, 値, コメント, Top種類コード) "
                                  "values (%1, %2, %3, %4, %5, %6, 0, '', 'c', %7)")
                       .arg(db::quoteText(kind), db::dateLiteral(date))
                       .arg(rank)
                       .arg(code)
                       .arg(price)
                       .arg(volume)
                       .arg(db::quoteText(kind.left(1))));
    }
    void close(int code, const QDate &date, int value)
    {
        executeSql(QStringLiteral("insert into dayData (コード, 日付, 始値, 高値, 安値, 終値, 前日比, 出来高, 基準前日比) values (%1, %2, 0, 0, 0, %3, 0, 0, %3)")
                       .arg(code)
                       .arg(db::dateLiteral(date))
                       .arg(value));
    }
    QStringList column(const QString &source, const QString &field)
    {
        QStringList values;
        db::Database database(MainModule::DBPath);
        for (db::Recordset rs = database.openRecordset(source); !rs.eof(); rs.moveNext())
            values.append(rs.toText(field));
        return values;
    }

    const QDate d1{2000, 7, 12}, d2{2000, 7, 13}, d3{2000, 7, 14};
};

TEST_F(InfoBrowser, CurrentPricesCutTowardZeroAndShowOnlyRisers)
{
    const QString k = QStringLiteral("d'1"); // a quote in the kind code is data, not query text
    row(k, d3, 1, 1301, 400, 1000);
    row(k, d3, 2, 1332, 400, 1000);
    row(k, d3, 3, 1333, 0, 1000); // no price: change 0
    row(k, d3, 4, 9999, 300, 1000); // no daily close: left alone
    close(1301, d2, 1);
    close(1301, d3, 437);
    close(1332, d3, 363);
    close(1333, d3, 50);
    EXPECT_EQ(info::UpdateCurrentPrices(MainModule::DBPath, k, d3, d3), 3);
    const QString all = QStringLiteral("select * from informationData order by 順位");
    EXPECT_EQ(column(all, QStringLiteral("現比")), (QStringList{QStringLiteral("9.2"), QStringLiteral("-9.2"), QStringLiteral("0"), QString()}));
    EXPECT_EQ(column(all, QStringLiteral("現株価")), (QStringList{QStringLiteral("437"), QStringLiteral("363"), QStringLiteral("50"), QString()}));
    const QString view = info::CurrentPriceSource(k, d3, d3, false, QString(), QString());
    EXPECT_EQ(column(view, QStringLiteral("銘柄")), QStringList{QStringLiteral("極洋")});
}

TEST_F(InfoBrowser, NarrowingKeepsTheRangeAndReplacesAnEarlierNarrowing)
{
    const QString k = QStringLiteral("d01");
    for (const QDate &d : {d1, d2, d3}) {
        row(k, d, 1, 1301, 900, 5000);
        row(k, d, 2, 1332, 1500, 100);
    }
    row(QStringLiteral("d02"), d1, 1, 1301, 900, 5000);
    EXPECT_EQ(column(info::DatesSource(k), QStringLiteral("日付")),
              (QStringList{QStringLiteral("2000-07-14"), QStringLiteral("2000-07-13"), QStringLiteral("2000-07-12")}));
    EXPECT_EQ(column(info::DatesSource(k), QStringLiteral("コメント")).first(), QStringLiteral("c"));
    const QString range = info::RankingSource(k, d2, d3);
    EXPECT_EQ(column(range, QStringLiteral("コード")).size(), 4);
    const QString once = info::NarrowedSource(range, k, d3, QStringLiteral("1000"), QString());
    EXPECT_EQ(column(once, QStringLiteral("コード")), (QStringList{QStringLiteral("1301"), QStringLiteral("1301")}));
    const QString twice = info::NarrowedSource(once, k, d3, QStringLiteral("2000"), QStringLiteral("1000"));
    EXPECT_EQ(column(twice, QStringLiteral("コード")), (QStringList{QStringLiteral("1301"), QStringLiteral("1301")}));
    const QString wider = info::NarrowedSource(twice, k, d3, QStringLiteral("2000"), QStringLiteral("0"));
    EXPECT_EQ(column(wider, QStringLiteral("コード")).size(), 4);
    // A range view lists each issue once in the main window's list.
    EXPECT_EQ(info::IssueListEntries(MainModule::DBPath, wider),
              (QStringList{QStringLiteral("1301 東１ 極洋"), QStringLiteral("1332 東２ ﾆｯｽｲ")}));
    EXPECT_EQ(info::FirstOfLastDates(MainModule::DBPath, k, d3, 2), d2);
    EXPECT_EQ(info::FirstOfLastDates(MainModule::DBPath, k, d3, 20), d1);
    // No kind picked: nothing matches.
    EXPECT_TRUE(column(info::RankingSource(QString(), d3, d3), QStringLiteral("コード")).isEmpty());
}

TEST_F(InfoBrowser, AKindWithoutDatesNarrowsToAnEmptyRanking)
{
    row(QStringLiteral("d01"), d3, 1, 1301, 900, 5000); // another kind's rows stay out
    const QString kind = QStringLiteral("d02");
    const QString shown = info::RankingSource(kind, QDate(), QDate());
    const QString narrowed = info::NarrowedSource(shown, kind, QDate(), QStringLiteral("1000"), QStringLiteral("100"));
    for (const QString &source : {shown, narrowed})
        EXPECT_NO_THROW(EXPECT_TRUE(column(source, QStringLiteral("コード")).isEmpty())) << source.toStdString();
}

TEST_F(InfoBrowser, OldRankingsAreFoundAndDeletedByTheirPeriod)
{
    const QDate newest(2000, 7, 14);
    row(QStringLiteral("d01"), newest, 1, 1301, 1, 1);
    row(QStringLiteral("d01"), QDate(2000, 6, 14), 1, 1301, 1, 1); // kept: not before R - 30
    row(QStringLiteral("w01"), QDate(1999, 12, 17), 1, 1301, 1, 1); // kept: not before R - 210
    EXPECT_EQ(info::NewestRankingDate(MainModule::DBPath, QDate(2001, 1, 1)), newest);
    EXPECT_FALSE(info::HasOldRankings(MainModule::DBPath, newest, 30));
    row(QStringLiteral("w01"), QDate(1999, 12, 16), 1, 1301, 1, 1);
    EXPECT_TRUE(info::HasOldRankings(MainModule::DBPath, newest, 30));
    row(QStringLiteral("d01"), QDate(2000, 6, 13), 1, 1301, 1, 1);
    info::DeleteOldRankings(MainModule::DBPath, newest, 30);
    EXPECT_EQ(column(QStringLiteral("select 日付 from informationData order by 日付"), QStringLiteral("日付")),
              (QStringList{QStringLiteral("1999-12-17"), QStringLiteral("2000-06-14"), QStringLiteral("2000-07-14")}));
    EXPECT_EQ(info::OldRankingsQuestion(30), QStringLiteral("オプション設定で設定した30日以上の削除すべきデーターがあります　削除しますか？"));
}

TEST_F(InfoBrowser, IssueSearchListsRankingsOfRemovedKindsAndOffersNoSKinds)
{
    executeSql(QStringLiteral("insert into informationClass (種類コード, 種類名, 表示順) values ('d01', '値上がり率上位', 2)"));
    executeSql(QStringLiteral("insert into informationClass (種類コード, 種類名, 表示順) values ('s01', '特別', 1)"));
    executeSql(QStringLiteral("insert into informationClass (種類コード, 種類名, 表示順) values ('w01', '週間', 3)"));
    row(QStringLiteral("d01"), d1, 5, 1301, 1, 1);
    row(QStringLiteral("w01"), d3, 1, 1301, 1, 1);
    row(QStringLiteral("x09"), d2, 2, 1301, 1, 1); // a kind no longer listed
    row(QStringLiteral("d01"), d2, 1, 1332, 1, 1);
    const auto kinds = info::OfferedKinds(MainModule::DBPath);
    EXPECT_EQ(kinds.codes, (QStringList{QStringLiteral("d01"), QStringLiteral("w01")}));
    EXPECT_EQ(column(info::IssueSearchSource(1301, QString(), info::SearchOrder::ByDate), QStringLiteral("種類コード")),
              (QStringList{QStringLiteral("w01"), QStringLiteral("x09"), QStringLiteral("d01")}));
    EXPECT_EQ(column(info::IssueSearchSource(1301, QString(), info::SearchOrder::ByKind), QStringLiteral("種類コード")),
              (QStringList{QStringLiteral("x09"), QStringLiteral("d01"), QStringLiteral("w01")}));
    EXPECT_EQ(column(info::IssueSearchSource(1301, QStringLiteral("d01"), info::SearchOrder::ByDate), QStringLiteral("順位")),
              QStringList{QStringLiteral("5")});
    EXPECT_TRUE(column(info::IssueSearchSource(7203, QString(), info::SearchOrder::ByDate), QStringLiteral("順位")).isEmpty());
}

// The search reads the issue's rows through its index and lists them as the plain right join of
// the kinds onto the rankings did, equal dates and display orders included: kinds stored out of
// code and display order, kinds no longer listed, and an issue twice in one ranking.
TEST_F(InfoBrowser, IssueSearchUsesTheIssueIndexAndListsRowsAsTheRightJoinDid)
{
    executeSql(QStringLiteral("insert into informationClass (種類コード, 種類名, 表示順) values ('w01', '週間', 2)"));
    executeSql(QStringLiteral("insert into informationClass (種類コード, 種類名, 表示順) values ('d03', '出来高', 1)"));
    executeSql(QStringLiteral("insert into informationClass (種類コード, 種類名, 表示順) values ('d01', '値上がり率上位', 2)"));
    int rank = 0;
    for (const QDate &date : {d3, d1, d2}) {
        for (const char *kind : {"x09", "d01", "w01", "x01", "d03", "d01"}) {
            row(QString::fromLatin1(kind), date, rank + 1, 1301, rank + 1, 1);
            row(QString::fromLatin1(kind), date, rank + 2, 1332, rank + 2, 1);
            rank += 2;
        }
    }
    const auto rows = [&](const QString &source) {
        QStringList out;
        db::Database database(MainModule::DBPath);
        for (db::Recordset rs = database.openRecordset(source); !rs.eof(); rs.moveNext()) {
            QStringList fields;
            for (int i = 0; i < rs.fieldCount(); ++i)
                fields.append(rs.value(i).toString());
            out.append(fields.join(QLatin1Char(',')));
        }
        return out;
    };
    // The plan's steps that read the rankings.
    const auto readsOfRankings = [](const QString &source) {
        db::Database database(MainModule::DBPath);
        const QByteArray sql = "EXPLAIN QUERY PLAN " + db::translate(source).sql.toUtf8();
        sqlite3_stmt *s = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(database.handle(), sql.constData(), -1, &s, nullptr), SQLITE_OK);
        QStringList reads;
        while (sqlite3_step(s) == SQLITE_ROW) {
            const QString step = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s, 3)));
            if (step.startsWith(QLatin1String("SCAN B")) || step.startsWith(QLatin1String("SEARCH B")))
                reads.append(step);
        }
        sqlite3_finalize(s);
        return reads;
    };
    const QString rightJoin = QStringLiteral(
        "SELECT A.表示順, B.種類コード, A.種類名, B.日付, B.順位, B.コード, Mei.銘柄, Mei.市場コード, B.株価, B.出来高, B.前日比, B.値 "
        "FROM (informationClass as A RIGHT JOIN informationData as B ON A.種類コード = B.種類コード) LEFT JOIN Mei ON B.コード = Mei.コード ");
    struct Search
    {
        QString kind;
        info::SearchOrder order;
        QString rightJoinSource;
        QStringList listed;
    };
    std::vector<Search> searches;
    for (const QString &kind : {QString(), QStringLiteral("d01")}) {
        const QString condition = kind.isEmpty() ? QStringLiteral("Where B.コード =1301 ") : QStringLiteral("Where B.種類コード= 'd01' and B.コード =1301 ");
        for (const auto order : {info::SearchOrder::ByDate, info::SearchOrder::ByKind}) {
            const QString source = info::IssueSearchSource(1301, kind, order);
            const QStringList reads = readsOfRankings(source);
            EXPECT_EQ(reads.size(), 1) << reads.join(QLatin1Char('\n')).toStdString();
            for (const QString &read : reads)
                EXPECT_TRUE(read.startsWith(QStringLiteral("SEARCH B USING INDEX informationData.コード (コード=?"))) << read.toStdString();
            const QString orderPart = order == info::SearchOrder::ByDate ? QStringLiteral("ORDER BY B.日付 desc;") : QStringLiteral("ORDER BY A.表示順, B.日付 desc;");
            searches.push_back({kind, order, rightJoin + condition + orderPart, rows(source)});
        }
    }
    // The right join as it ran before the index: the index would change the order it reads in.
    db::Database(MainModule::DBPath).executeRaw(QStringLiteral("DROP INDEX \"informationData.コード\""));
    for (const Search &search : searches) {
        const QStringList before = rows(search.rightJoinSource);
        EXPECT_EQ(before.size(), search.kind.isEmpty() ? 18 : 6);
        EXPECT_EQ(search.listed, before) << search.rightJoinSource.toStdString();
    }
}

} // namespace
