// Board rows and board files: registration, moving, the last-day columns, the issue-list entries,
// and files saved and loaded back (names with commas and quotes, the other board's file, empty
// files, short lines).

#include "board/BoardStore.h"

#include "base/Currency.h"
#include "base/MainModule.h"
#include "base/Settings.h"
#include "base/TextFile.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace board;
using namespace testing_support;

namespace {

class BoardTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder.createDatabase();
        executeSql(QStringLiteral("insert into Mei (コード, 市場コード, 銘柄, 出来高単位, 株価単位) values (1301, 1, '極洋', 1000, 1)"));
        executeSql(QStringLiteral("insert into Mei (コード, 市場コード, 銘柄, 出来高単位, 株価単位) values (7203, 1, 'トヨタ', 100, 10)"));
        executeSql(QStringLiteral("insert into Mei (コード, 市場コード, 銘柄, 出来高単位) values (9999, 2, '単位なし', 1)"));
        for (const QString &row : {QStringLiteral("7203, #2026/12/03#, 100, 110, 90, 105, 5, 20"),
                                   QStringLiteral("7203, #2026/12/04#, 105, 120, 100, 118, 13, 30"),
                                   QStringLiteral("9999, #2026/12/04#, 50, 50, 50, 50, 0, 1")})
            executeSql(QStringLiteral("insert into daydata (コード, 日付, 始値, 高値, 安値, 終値, 前日比, 出来高) values (%1)").arg(row));
    }
    BoardContext ctx() { return {MainModule::DBPath, prompt, QDate(2026, 12, 5)}; }
    qint64 count(int kind) { return scalarOf(QStringLiteral("select count(*) from board where 区分=%1").arg(kind)).toLongLong(); }

    TempProgramFolder folder;
    ScriptedPrompt prompt;
};

} // namespace

TEST_F(BoardTest, AddFillsTheLastDayAndRefusesDuplicatesAndIssuesWithoutPrices)
{
    prompt.answerYes();
    EXPECT_TRUE(AddIssue(ctx(), BoardA, 7203, QStringLiteral("トヨタ")));
    EXPECT_EQ(scalarOf(QStringLiteral("select 終値 from board where コード=7203")).toLongLong(), 1180); // x 株価単位
    EXPECT_EQ(scalarOf(QStringLiteral("select 前日比 from board where コード=7203")).toLongLong(), 13);
    EXPECT_EQ(Currency::fromVariant(scalarOf(QStringLiteral("select 出来高 from board where コード=7203"))), Currency::fromInt(3000));
    prompt.answerYes();
    EXPECT_FALSE(AddIssue(ctx(), BoardA, 7203, QStringLiteral("トヨタ")));
    prompt.answerYes();
    EXPECT_FALSE(AddIssue(ctx(), BoardA, 1301, QStringLiteral("極洋"))); // no daily rows: silently nothing
    EXPECT_EQ(prompt.messages(), QStringList({QStringLiteral("登録しました。"), QStringLiteral("すでに登録されています。")}));
    EXPECT_EQ(count(BoardA), 1);
}

TEST_F(BoardTest, OpeningRefreshesFromTheNewestDailyRowOrZeros)
{
    prompt.answerYes();
    RegisterOnBoard(ctx(), BoardB, QStringLiteral("1301"), QStringLiteral("極洋"), QStringLiteral("東１"));
    prompt.answerYes();
    RegisterOnBoard(ctx(), BoardB, QStringLiteral("9999"), QStringLiteral("単位なし"), QStringLiteral("東２"));
    executeSql(QStringLiteral("update board set 現在値=500"));
    RefreshDailyFigures(ctx(), BoardB);
    EXPECT_EQ(scalarOf(QStringLiteral("select 日付 from board where コード=1301")).toDate(), QDate(2026, 12, 5));
    EXPECT_EQ(scalarOf(QStringLiteral("select 現在値 from board where コード=1301")).toLongLong(), 0);
    EXPECT_EQ(scalarOf(QStringLiteral("select 終値 from board where コード=9999")).toLongLong(), 0); // unit missing
    EXPECT_EQ(scalarOf(QStringLiteral("select 現在値 from board where コード=9999")).toLongLong(), 500);
    EXPECT_EQ(scalarOf(QStringLiteral("select 日付 from board where コード=9999")).toDate(), QDate(2026, 12, 4));
}

TEST_F(BoardTest, MovingKeepsTheRowAndRefusesWhatCannotMove)
{
    prompt.answerYes();
    RegisterOnBoard(ctx(), BoardA, QStringLiteral("7203"), QStringLiteral("トヨタ"), QStringLiteral("東１"));
    executeSql(QStringLiteral("update board set 現在値=1200"));
    prompt.answerYes();
    EXPECT_TRUE(MoveBoardIssue(ctx(), BoardA, 7203, moveTitle(BoardA)));
    prompt.answerYes();
    EXPECT_FALSE(MoveBoardIssue(ctx(), BoardA, 7203, moveTitle(BoardA)));
    prompt.answerYes();
    EXPECT_FALSE(MoveBoardIssue(ctx(), BoardB, 1301, moveTitle(BoardB)));
    EXPECT_EQ(prompt.questions().at(1), u"コード=7203 銘柄を 株価ボードＡからＢへ移動 しますよろしいですか？");
    EXPECT_EQ(prompt.messages(), QStringList({QStringLiteral("移動しました。"), QStringLiteral("すでに登録されています。"), QStringLiteral("ボードBに登録されていません。")}));
    EXPECT_EQ(scalarOf(QStringLiteral("select 現在値 from board where 区分=2")).toLongLong(), 1200);
}

TEST_F(BoardTest, ListingNeedsTheIssueUnderTheRowsMarket)
{
    executeSql(QStringLiteral("insert into board (区分, コード, 市場コード, 銘柄) values (1, 7203, 1, 'x'), (1, 1301, 3, 'y')"));
    const std::vector<BoardIssue> listed = ListBoard(MainModule::DBPath, BoardA);
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].code, 7203);
    EXPECT_EQ(listed[0].name, u"トヨタ"); // from Mei, not the board row
}

TEST_F(BoardTest, FilesRoundTripNamesWithCommasAndQuotes)
{
    const QString tricky = QStringLiteral("O'B';drop board--");
    executeSql(QStringLiteral("insert into board (区分, コード, 市場コード, 銘柄, 現在値) values "
                              "(1, 7203, 1, 'ト,ヨ,ﾀ', 9), (1, 1301, 1, 'O''B'';drop board--', 9), (2, 9999, 2, 'b', 9)"));
    const QString path = folder.filePath(QStringLiteral("Data/mine.A"));
    ASSERT_TRUE(SaveBoardFile(ctx(), path, BoardA));
    EXPECT_EQ(readFileBytes(path), TextFile::encode(QStringLiteral("1,1301,1,") + tricky + QStringLiteral("\r\n1,7203,1,ト,ヨ,ﾀ\r\n")));
    EXPECT_EQ(Settings::settingsValue(QStringLiteral("boardA")), u"mine.A");

    executeSql(QStringLiteral("insert into board (区分, コード, 市場コード, 銘柄) values (1, 6758, 1, 'gone')"));
    prompt.answerYes();
    ASSERT_TRUE(LoadBoardFile(ctx(), path, BoardA));
    EXPECT_EQ(count(BoardA), 2);
    EXPECT_EQ(scalarOf(QStringLiteral("select 銘柄 from board where コード=7203")).toString(), u"ト,ヨ,ﾀ");
    EXPECT_EQ(scalarOf(QStringLiteral("select 銘柄 from board where コード=1301")).toString(), tricky);
    EXPECT_TRUE(scalarOf(QStringLiteral("select 現在値 from board where コード=1301")).isNull());
    EXPECT_EQ(count(BoardB), 1);

    // An empty board is a file of one line end.
    const QString empty = folder.filePath(QStringLiteral("Data/empty.A"));
    executeSql(QStringLiteral("delete from board where 区分=1"));
    ASSERT_TRUE(SaveBoardFile(ctx(), empty, BoardA));
    EXPECT_EQ(readFileBytes(empty), QByteArray("\r\n"));
}

TEST_F(BoardTest, FilesOfTheOtherBoardEmptyOrWithShortLinesAreRefusedBeforeAnythingIsDeleted)
{
    executeSql(QStringLiteral("insert into board (区分, コード, 市場コード, 銘柄) values (1, 7203, 1, 'a'), (2, 9999, 2, 'b')"));
    const QString fileA = folder.filePath(QStringLiteral("Data/x.A"));
    const QString shortLine = folder.filePath(QStringLiteral("Data/short.B"));
    const QString mixed = folder.filePath(QStringLiteral("Data/mixed.B"));
    writeCp932File(fileA, {QStringLiteral("1,7203,1,a")});
    writeCp932File(shortLine, {QStringLiteral("2,1301,1,ok"), QStringLiteral("2,7203,1")});
    writeCp932File(mixed, {QStringLiteral("2,1301,1,ok"), QStringLiteral("1,7203,1,a")});
    // No question is scripted: a refusal comes before the replace question.
    EXPECT_FALSE(LoadBoardFile(ctx(), fileA, BoardB));
    EXPECT_FALSE(LoadBoardFile(ctx(), shortLine, BoardB));
    EXPECT_FALSE(LoadBoardFile(ctx(), mixed, BoardB));
    const QString wrongKind = QStringLiteral("株価ボードＢに株価ボードＡのデーターを読み込もうとしています。");
    EXPECT_EQ(prompt.messages(), QStringList({wrongKind, QStringLiteral("株価ボードファイルの2行目が正しくありません。読み込みを中止しました。"), wrongKind}));

    // A file is the board's by its first character: an empty file or one of blank lines is no board's.
    for (const QByteArray &bytes : {QByteArray("\r\n"), QByteArray("\r\n\r\n"), QByteArray()}) {
        writeFileBytes(shortLine, bytes);
        EXPECT_FALSE(LoadBoardFile(ctx(), shortLine, BoardB)) << bytes.toStdString();
        EXPECT_EQ(prompt.messages().last(), wrongKind);
    }
    EXPECT_EQ(prompt.messages().size(), 6);
    EXPECT_EQ(count(BoardB), 1);
    EXPECT_EQ(count(BoardA), 1);
}
