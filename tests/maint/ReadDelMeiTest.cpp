// frmReadDelMei: the issues the last import did not mark, deleted one by one or all together with
// every row they have.

#include "importwin/WindowTestSupport.h"

#include "maint/frmReadDelMei.h"
#include "ui/RecordsetTableModel.h"

#include <QLabel>
#include <QPushButton>
#include <QTableView>

using namespace importwin_test;

namespace {

class ReadDelMeiTest : public WindowFixture
{
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        addIssue(1301, 1, QStringLiteral("極洋"), false);
        addIssue(1332, 2, QStringLiteral("日本水産"), false);
        addIssue(1333, 1, QStringLiteral("マルハ"), false);
        addIssue(7203, 1, QStringLiteral("ﾄﾖﾀ自動車"), true);
        for (int code : {1301, 1332, 1333, 7203}) {
            addDay(code, QDate(2000, 7, 13), 100);
            execute(QStringLiteral("insert into ShinYo (コード, 日付, 売残, 買残, 単位) values (%1, #2000/07/14#, 1, 2, 1000)").arg(code));
        }
    }

    QStringList listedCodes(const frmReadDelMei &w)
    {
        QStringList codes;
        for (int row = 0; row < w.MeiData->rowCount(); ++row)
            codes << w.MeiData->data(w.MeiData->index(row, 0)).toString();
        return codes;
    }
};

TEST_F(ReadDelMeiTest, ListsUnmarkedIssuesAndDeletesTheCurrentOneOrAllWithEveryRow)
{
    frmReadDelMei w(services);
    EXPECT_EQ(listedCodes(w), QStringList({QStringLiteral("1301"), QStringLiteral("1332"), QStringLiteral("1333")}));

    w.MeiDBGrid->setCurrentIndex(w.MeiData->index(1, 2));
    prompt.answerNo();
    w.CmdDelete->click();
    EXPECT_EQ(count(QStringLiteral("Mei")), 4);

    prompt.answerYes();
    w.CmdDelete->click();
    EXPECT_EQ(prompt.questions(),
              QStringList(2, QStringLiteral("コード=1332 銘柄と株価データーをすべて削除します　よろしいですか？")));
    EXPECT_EQ(prompt.messages(), QStringList{QStringLiteral("終了しました。")});
    EXPECT_EQ(listedCodes(w), QStringList({QStringLiteral("1301"), QStringLiteral("1333")}));
    EXPECT_EQ(count(QStringLiteral("Mei"), QStringLiteral("where コード=1332")), 0);
    EXPECT_EQ(count(QStringLiteral("daydata"), QStringLiteral("where コード=1332")), 0);
    EXPECT_EQ(count(QStringLiteral("ShinYo"), QStringLiteral("where コード=1332")), 0);
    EXPECT_EQ(count(QStringLiteral("daydata")), 3);

    // Deleting all empties the list and keeps the marked issue.
    prompt.answerYes();
    w.CmdAllDelete->click();
    EXPECT_EQ(prompt.questions().last(), QStringLiteral("一覧で表示されている　銘柄と株価データーをすべて削除します　よろしいですか？"));
    EXPECT_EQ(prompt.messages(), QStringList(2, QStringLiteral("終了しました。")));
    EXPECT_EQ(w.MeiData->rowCount(), 0);
    EXPECT_EQ(count(QStringLiteral("Mei")), 1);
    EXPECT_EQ(count(QStringLiteral("daydata")), 1);
    EXPECT_EQ(count(QStringLiteral("ShinYo")), 1);

    // With the list empty a single deletion asks for a choice and deletes nothing.
    w.CmdDelete->click();
    EXPECT_EQ(prompt.messages().back(), QStringLiteral("一覧から削除対象を選択して下さい。"));
    EXPECT_EQ(prompt.questions().size(), 3);
    EXPECT_EQ(count(QStringLiteral("Mei")), 1);
}

} // namespace
