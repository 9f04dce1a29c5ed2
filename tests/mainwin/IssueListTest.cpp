// The issue list and the issue search: the 35-entry rule, removal, and frmMeiFind.

#include "MainWindowTestSupport.h"

#include "mainwin/IssueList.h"
#include "mainwin/frmMeiFind.h"

#include <QPushButton>

using namespace mainwin_test;

namespace {

class IssueListTest : public MainWindowTest
{
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        for (int code = 7201; code <= 7236; ++code)
            addIssue(code, code % 2 == 0 ? 2 : 1, QStringLiteral("自動車%1").arg(code));
        for (int code = 7301; code <= 7310; ++code)
            addIssue(code, 1, QStringLiteral("部品%1").arg(code));
        addIssue(1301, 1, QStringLiteral("極洋"));
        addIssue(8001, 1, QStringLiteral("伊藤忠'商事"));
        addIssue(8002, 1, QStringLiteral("丸紅"));
    }

    QStringList codes(QListWidget *list) const
    {
        QStringList out;
        for (const QString &e : listEntries(list))
            out.append(e.left(4));
        return out;
    }
};

// Typing "7" lists 7000-7999 in market order; "72" narrows to 7200-7299; a third digit keeps a
// short list (below 35 entries) and replaces a long one.
TEST_F(IssueListTest, TypedPrefixDecidesTheList)
{
    frmMain &w = openWindow();
    for (const auto &[typed, expectedCount, first] : {std::tuple{"7", 46, "7201"}, // market 1 first, then market 2
                                                      std::tuple{"72", 36, "7201"},
                                                      std::tuple{"720", 9, "7201"}, // 36 entries: replaced by 7200-7209
                                                      std::tuple{"7203", 9, "7201"}, // 9 entries: kept
                                                      std::tuple{"73", 10, "7301"},
                                                      std::tuple{"730", 10, "7301"}, // 10 entries: kept as 7300-7399
                                                      std::tuple{"7a", 46, "7201"}}) { // not numeric: unchanged
        w.MeiCode->clear();
        typeText(w.MeiCode, QString::fromLatin1(typed));
        ASSERT_EQ(w.ListMei->count(), expectedCount) << typed;
        EXPECT_EQ(w.ListMei->item(0)->text().left(4), QString::fromLatin1(first)) << typed;
    }
    w.MeiCode->clear();
    typeText(w.MeiCode, QStringLiteral("72"));
    EXPECT_EQ(codes(w.ListMei)[17], QStringLiteral("7235"));
    EXPECT_EQ(codes(w.ListMei)[18], QStringLiteral("7202")) << "the market-2 issues follow";
}

TEST_F(IssueListTest, DoubleClickOrEnterShowsTheEntry)
{
    frmMain &w = openWindow();
    typeText(w.MeiCode, QStringLiteral("80"));
    ASSERT_EQ(w.ListMei->count(), 2);
    w.ListMei->setCurrentRow(1);
    keyClick(w.ListMei, Qt::Key_Return);
    EXPECT_EQ(w.MeiCode->text(), QStringLiteral("8002"));
    EXPECT_EQ(w.LblMei->text(), QStringLiteral("丸紅"));
    EXPECT_EQ(w.ListMei->count(), 2) << "choosing from the list does not refill it";
}

TEST_F(IssueListTest, RemoveAsksAndSelectsTheEntryBefore)
{
    frmMain &w = openWindow();
    typeText(w.MeiCode, QStringLiteral("73"));
    w.ListMei->setCurrentRow(3);
    w.ListMei->setFocus();
    prompt.answerNo();
    w.removeSelectedFromList();
    EXPECT_EQ(w.ListMei->count(), 10);
    prompt.answerYes();
    w.removeSelectedFromList();
    EXPECT_EQ(w.ListMei->count(), 9);
    EXPECT_EQ(w.ListMei->currentRow(), 2);
    EXPECT_FALSE(codes(w.ListMei).contains(QStringLiteral("7304")));
    ASSERT_EQ(prompt.records().size(), 2u);
    EXPECT_EQ(prompt.records()[0].title, QStringLiteral("確認"));
    EXPECT_EQ(prompt.records()[0].text, QStringLiteral("7304 東１ 部品7304 を銘柄リストから削除します　よろしいですか？"));

    w.ListMei->setCurrentRow(0);
    prompt.answerYes();
    w.removeSelectedFromList();
    EXPECT_EQ(w.ListMei->currentRow(), 0) << "after the first entry the new first is selected";

    w.MeiCode->clear();
    typeText(w.MeiCode, QStringLiteral("13"));
    ASSERT_EQ(w.ListMei->count(), 1);
    w.ListMei->setFocus();
    prompt.answerYes();
    w.command(QStringLiteral("mnuDelList"))->trigger();
    EXPECT_EQ(w.ListMei->count(), 0);
    w.command(QStringLiteral("mnuDelList"))->trigger(); // nothing selected: no question
}

TEST_F(IssueListTest, DelWhileTypingInTheCodeBoxEditsTheCode)
{
    frmMain &w = openWindow();
    w.show();
    QApplication::setActiveWindow(&w);
    w.MeiCode->setFocus();
    typeText(w.MeiCode, QStringLiteral("73"));
    w.MeiCode->setCursorPosition(0);
    ASSERT_EQ(QApplication::focusWidget(), w.MeiCode);
    QKeyEvent override(QEvent::ShortcutOverride, Qt::Key_Delete, Qt::NoModifier);
    QApplication::sendEvent(w.MeiCode, &override);
    EXPECT_TRUE(override.isAccepted()) << "the code box keeps the Del key from the menu item's shortcut";
    keyClick(w.MeiCode, Qt::Key_Delete);
    EXPECT_EQ(w.MeiCode->text(), QStringLiteral("3"));
    w.removeSelectedFromList(); // the focus is in the code box: no question
    EXPECT_TRUE(prompt.questions().isEmpty());
}

TEST_F(IssueListTest, SearchFindsByNamePartAndTheChoiceLandsInTheCodeBox)
{
    frmMain &w = openWindow();
    QStringList seen;
    onNextModal([&](QWidget *modal) {
        auto *find = qobject_cast<frmMeiFind *>(modal);
        ASSERT_NE(find, nullptr);
        EXPECT_EQ(find->windowTitle(), QStringLiteral("銘柄検索"));
        typeText(find->txtFind, QStringLiteral("'商"));
        seen = listEntries(find->ListMei);
        find->Cmddecision->click();
    });
    w.CmdFind->click();
    EXPECT_EQ(seen, QStringList{QStringLiteral("8001　　東１　　伊藤忠'商事")}) << "a quote in the text is searched for";
    EXPECT_EQ(w.MeiCode->text(), QStringLiteral("8001"));
    EXPECT_EQ(w.LblMei->text(), QStringLiteral("伊藤忠'商事"));
    EXPECT_EQ(codes(w.ListMei), (QStringList{QStringLiteral("8001"), QStringLiteral("8002")}))
        << "the list follows the first two characters of the code";
}

TEST_F(IssueListTest, EmptySearchListsEveryIssueAndEscapeChoosesNothing)
{
    frmMain &w = openWindow();
    typeText(w.MeiCode, QStringLiteral("1301"));
    int count = -1;
    onNextModal([&](QWidget *modal) {
        auto *find = qobject_cast<frmMeiFind *>(modal);
        ASSERT_NE(find, nullptr);
        typeText(find->txtFind, QStringLiteral("x"));
        keyClick(find->txtFind, Qt::Key_Backspace);
        count = find->ListMei->count();
        keyClick(find->ListMei, Qt::Key_Escape);
    });
    w.CmdFind->click();
    EXPECT_EQ(count, 49);
    EXPECT_EQ(w.MeiCode->text(), QStringLiteral("1301"));
}

TEST_F(IssueListTest, EnterInTheSearchListChooses)
{
    frmMain &w = openWindow();
    onNextModal([&](QWidget *modal) {
        auto *find = qobject_cast<frmMeiFind *>(modal);
        ASSERT_NE(find, nullptr);
        typeText(find->txtFind, QStringLiteral("部品"));
        find->ListMei->setCurrentRow(4);
        keyClick(find->ListMei, Qt::Key_Return);
    });
    w.CmdFind->click();
    EXPECT_EQ(w.MeiCode->text(), QStringLiteral("7305"));
}

TEST_F(IssueListTest, NameSearchIsLiteralIgnoresCharacterWidthAndKeepsItsOwnWildcards)
{
    addIssue(9991, 1, QStringLiteral("ﾄﾖﾀ自動車"));
    addIssue(9992, 1, QStringLiteral("ＳＯＮＹ"));
    addIssue(9993, 1, QStringLiteral("ｿﾌﾄﾊﾞﾝｸG"));
    auto codesFound = [&](const char *text) {
        QStringList out;
        for (const QString &e : mainwin::IssuesByName(MainModule::DBPath, QString::fromUtf8(text)))
            out << e.left(4);
        return out;
    };
    for (const char *literal : {"%", "_", "''"})
        EXPECT_TRUE(codesFound(literal).isEmpty()) << literal;
    EXPECT_EQ(codesFound("車720").size(), 9);
    EXPECT_EQ(codesFound("トヨタ"), QStringList{QStringLiteral("9991")});
    EXPECT_EQ(codesFound("sony"), QStringList{QStringLiteral("9992")});
    EXPECT_EQ(codesFound("ソフトバンクＧ"), QStringList{QStringLiteral("9993")});
    EXPECT_EQ(codesFound("ﾄ*自動"), QStringList{QStringLiteral("9991")});
    EXPECT_EQ(codesFound("S?NY"), QStringList{QStringLiteral("9992")});
}

} // namespace
