// The board commands of the main window: registering the current issue (the slide show keeps
// running), listing a board into the issue list, and moving the listed issue to the other board.

#include "MainWindowTestSupport.h"

#include <QTimer>

using namespace mainwin_test;

namespace {

using BoardMenuTest = MainWindowTest;

TEST_F(BoardMenuTest, RegisterListAndMoveThroughTheMenu)
{
    addIssue(1301, 1, QStringLiteral("極洋"));
    addIssue(7203, 1, QStringLiteral("トヨタ"));
    addDailyRows(1301, 5, today());
    addDailyRows(7203, 5, today());
    frmMain &w = openWindow();

    w.chartTimer->start();
    for (const char *code : {"7203", "1301"}) {
        w.MeiCode->setText(QString::fromLatin1(code));
        prompt.answerYes();
        w.command(QStringLiteral("mnuKabukaboardAIn"))->trigger();
    }
    EXPECT_TRUE(w.chartTimer->isActive());
    EXPECT_EQ(prompt.questions().first(), u"トヨタ を株価ボードAに登録します　よろしいですか？");
    w.chartTimer->stop();

    w.command(QStringLiteral("mnuKabukaboardAList"))->trigger();
    EXPECT_EQ(listEntries(w.ListMei), QStringList({QStringLiteral("1301 東１ 極洋"), QStringLiteral("7203 東１ トヨタ")}));
    EXPECT_EQ(w.MeiCode->text(), u"1301");

    w.ListMei->setCurrentRow(1);
    prompt.answerYes();
    w.command(QStringLiteral("mnuAtoB"))->trigger();
    EXPECT_EQ(prompt.messages(), QStringList{QStringLiteral("移動しました。")});
    EXPECT_EQ(listEntries(w.ListMei), QStringList{QStringLiteral("1301 東１ 極洋")});
    EXPECT_EQ(testing_support::scalarOf(QStringLiteral("select 区分 from board where コード=7203")).toInt(), 2);
}

} // namespace
