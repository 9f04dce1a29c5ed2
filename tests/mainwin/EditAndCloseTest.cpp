// Price and issue editing from the main window, and the closing sequence with the compaction.

#include "MainWindowTestSupport.h"

#include "maint/Compaction.h"
#include "maint/frmEditKabuka.h"
#include "maint/frmEditMei.h"
#include "ui/RecordsetTableModel.h"

#include <QFile>
#include <QFileInfo>
#include <QTableView>

using namespace mainwin_test;

namespace {

class EditTest : public MainWindowTest
{
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        addIssue(1301, 1, QStringLiteral("極洋"));
        addIssue(1332, 2, QStringLiteral("日水"));
        addDailyRows(1301, 20, today());
        addDailyRows(1332, 5, today());
        addWeeklyRows(1301, 6, today());
    }

    static QStringList columnsOf(const RecordsetTableModel *model)
    {
        QStringList out;
        for (int c = 0; c < model->columnCount(); ++c)
            out.append(model->fieldOfColumn(c));
        return out;
    }
};

TEST_F(EditTest, PriceMaintenanceNeedsAnIssueAndOpensNothingOnNo)
{
    frmMain &w = openWindow();
    w.command(QStringLiteral("mnuKabkaEdit"))->trigger();
    EXPECT_EQ(prompt.messages(), QStringList{QStringLiteral("銘柄コードを指定して下さい。")});
    EXPECT_TRUE(prompt.questions().isEmpty());

    w.MeiCode->setText(QStringLiteral("1301"));
    bool opened = false;
    onNextModal([&](QWidget *modal) { opened = modal != nullptr; });
    prompt.answerNo();
    w.command(QStringLiteral("KDMentButton"))->trigger();
    letEventsRun(20);
    EXPECT_FALSE(opened);
    EXPECT_EQ(prompt.questions(),
              QStringList{QStringLiteral("株価メンテナンスを行います　よろしいですか？\n簡単に数字が変更されますので注意してください。")});
}

TEST_F(EditTest, PriceGridsShowTheIssuesRowsAndWriteAnEditBack)
{
    frmMain &w = openWindow();
    w.MeiCode->setText(QStringLiteral("1301"));
    bool seen = false;
    onNextModal([&](QWidget *modal) {
        auto *edit = qobject_cast<frmEditKabuka *>(modal);
        ASSERT_NE(edit, nullptr);
        seen = true;
        EXPECT_FALSE(columnsOf(edit->kabukaData).contains(QStringLiteral("売残")));
        EXPECT_EQ(edit->kabukaData->rowCount(), 20);
        EXPECT_EQ(edit->kabukaDataCaption->text(), QStringLiteral("1301"));
        EXPECT_EQ(edit->Lblshijyo->text(), QStringLiteral("東１"));
        EXPECT_EQ(edit->LblMei->text(), QStringLiteral("極洋"));
        EXPECT_TRUE(edit->windowTitle().endsWith(QStringLiteral("(日)")));
        EXPECT_EQ(edit->kabukaData->data(edit->kabukaData->index(19, 1)).toString(), QStringLiteral("24/06/14"));
        EXPECT_TRUE(edit->kabukaData->setData(edit->kabukaData->index(19, 5), QStringLiteral("4321")));
        EXPECT_FALSE(edit->kabukaData->setData(edit->kabukaData->index(19, 7), QStringLiteral("3000000000")))
            << "the chart could not show a volume beyond 32 bits";
    });
    prompt.answerYes();
    w.command(QStringLiteral("mnuKabkaEdit"))->trigger();
    EXPECT_TRUE(seen);
    db::Database d(MainModule::DBPath);
    EXPECT_EQ(d.scalar(QStringLiteral("select 終値 from daydata where コード=1301 and 日付=#2024/06/14#")).toLongLong(), 4321);
    EXPECT_EQ(d.scalar(QStringLiteral("select 終値 from daydata where コード=1332 and 日付=#2024/06/14#")).toLongLong(), 1000 - 50)
        << "only the edited row changed";
    EXPECT_NE(w.series().Records[19].Close.toString(), QStringLiteral("4321")) << "the chart sees it only when shown again";

    // The weekly grid adds the margin columns.
    w.Cmdchange->click();
    seen = false;
    onNextModal([&](QWidget *modal) {
        auto *edit = qobject_cast<frmEditKabuka *>(modal);
        ASSERT_NE(edit, nullptr);
        seen = true;
        EXPECT_EQ(edit->kabukaData->rowCount(), 6);
        EXPECT_TRUE(columnsOf(edit->kabukaData).endsWith(QStringLiteral("買残")));
        EXPECT_TRUE(columnsOf(edit->kabukaData).contains(QStringLiteral("売残")));
    });
    prompt.answerYes();
    w.command(QStringLiteral("mnuKabkaEdit"))->trigger();
    EXPECT_TRUE(seen);
}

TEST_F(EditTest, IssueGridListsTheIssueTableAndWritesBack)
{
    frmMain &w = openWindow();
    QStringList columns;
    onNextModal([&](QWidget *modal) {
        auto *edit = qobject_cast<frmEditMei *>(modal);
        ASSERT_NE(edit, nullptr);
        columns = columnsOf(edit->MeiData);
        ASSERT_EQ(edit->MeiData->rowCount(), 2);
        EXPECT_EQ(edit->MeiData->rawValue(1, QStringLiteral("コード")).toLongLong(), 1332);
        EXPECT_TRUE(edit->MeiData->setData(edit->MeiData->index(1, 2), QStringLiteral("ニッスイ")));
    });
    w.command(QStringLiteral("MMentButton"))->trigger();
    EXPECT_EQ(columns, (QStringList{QStringLiteral("コード"), QStringLiteral("市場コード"), QStringLiteral("銘柄"), QStringLiteral("出来高単位"), QStringLiteral("株価単位")}));
}

// ---------------------------------------------------------------------------------------------

TEST_F(EditTest, ClosingWithNoLeavesTheDatabaseFileUntouched)
{
    frmMain &w = openWindow();
    w.MeiCode->setText(QStringLiteral("1301"));
    db::Database::closeAll();
    const QByteArray before = testing_support::readFileBytes(MainModule::DBPath);
    prompt.answerNo();
    w.close();
    db::Database::closeAll();
    EXPECT_EQ(testing_support::readFileBytes(MainModule::DBPath), before);
    EXPECT_FALSE(QFileInfo::exists(maint::OldDbPathOf(MainModule::DBPath)));
    ASSERT_EQ(prompt.records().size(), 1u);
    EXPECT_EQ(prompt.records()[0].title, QStringLiteral("ｶﾞﾙﾃﾞｨｱ"));
    EXPECT_EQ(prompt.records()[0].text,
              QStringLiteral("ご使用ありがとうございました。\n\n時間がかかりますが株価データーを最適化とバックアップを行います。\n\n"
                             "最適化するなら　はい　そのまま終了なら　いいえ"));
}

TEST_F(EditTest, ClosingWithYesKeepsTheOldFileAndLeavesAWorkingDatabase)
{
    frmMain &w = openWindow();
    w.mnuchartslideshow->setText(QStringLiteral("x"));
    prompt.answerYes();
    w.close();
    EXPECT_TRUE(QFileInfo::exists(folder->filePath(QStringLiteral("Miravel.old"))));
    EXPECT_TRUE(db::Database::isOwnDatabase(MainModule::DBPath));
    db::Database d(MainModule::DBPath);
    EXPECT_EQ(d.scalar(QStringLiteral("select Count(*) from daydata")).toLongLong(), 25);
    EXPECT_EQ(w.mnuchartslideshow->text(), QStringLiteral("ﾁｬｰﾄ・ｽﾗｲﾄﾞｼｮｰ・ｽﾀｰﾄ"));
    EXPECT_TRUE(prompt.messages().isEmpty());
}

} // namespace
