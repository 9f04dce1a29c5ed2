// The main window's file commands: the price CSV of the shown issue and the issue-list files,
// driven through the controls they read and fill.

#include "importwin/WindowTestSupport.h"

#include "ui/DataFileCommands.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

using namespace importwin_test;

namespace {

class DataFileCommandsTest : public WindowFixture
{
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        addIssue(1301, 1, QStringLiteral("極洋"), true);
        addIssue(7203, 1, QStringLiteral("ﾄﾖﾀ自動車"), true);
        addDay(1301, QDate(2000, 7, 14), 123);
        MainModule::MarketAbbrev[1] = QStringLiteral("東１");
        MainModule::PeriodMode = 1;
    }
    QLineEdit code;
    QLabel market, name;
    QListWidget list;
};

TEST_F(DataFileCommandsTest, PriceCsvNeedsAShownIssueAndReportsTheFileName)
{
    code.setText(QStringLiteral("1301"));
    prompt.answerYes();
    maint::ExportShownIssueCsv(services, &code, &market, &name);
    EXPECT_EQ(prompt.messages(), QStringList{QStringLiteral("銘柄コードを入力して下さい。")});

    market.setText(QStringLiteral("東１"));
    name.setText(QStringLiteral("極洋"));
    prompt.answerNo();
    maint::ExportShownIssueCsv(services, &code, &market, &name);
    EXPECT_FALSE(QFile::exists(MainModule::dataFolder() + QStringLiteral("/1301.Csv")));
    prompt.answerYes();
    maint::ExportShownIssueCsv(services, &code, &market, &name);
    EXPECT_EQ(prompt.messages().last(), QStringLiteral("Data ﾌｫﾙﾀﾞに 1301.Csv と言うﾌｧｲﾙ名で出力しました。"));
    EXPECT_TRUE(testing_support::readFileBytes(MainModule::dataFolder() + QStringLiteral("/1301.Csv"))
                    .endsWith("\r\n2000/07/14,1000000,123,123,123,123\r\n"));
}

TEST_F(DataFileCommandsTest, IssueListAsksBeforeOverwritingAndReadsBackTheRegisteredIssues)
{
    const QString path = MainModule::dataFolder() + QStringLiteral("/mine.Lis");
    list.addItems({QStringLiteral("7203 東１ ﾄﾖﾀ自動車"), QStringLiteral("1301 東１ 極洋")});
    prompt.answerPath(path);
    maint::WriteIssueListFile(services, &list);
    EXPECT_EQ(testing_support::readFileBytes(path), QByteArray("7203\r\n1301\r\n"));

    list.takeItem(0);
    prompt.answerPath(path);
    prompt.answerNo();
    maint::WriteIssueListFile(services, &list);
    EXPECT_TRUE(prompt.questions().last().endsWith(QStringLiteral("のファイルは存在します 上書きしますか？")));
    EXPECT_EQ(testing_support::readFileBytes(path), QByteArray("7203\r\n1301\r\n"));

    testing_support::writeCp932File(path, {QStringLiteral("7203,ﾄﾖﾀ"), QString(), QStringLiteral("4444")});
    prompt.answerPath(path);
    maint::ReadIssueListFile(services, &list);
    ASSERT_EQ(list.count(), 2);
    EXPECT_EQ(list.item(0)->text(), QStringLiteral("7203 東１ ﾄﾖﾀ自動車"));
    EXPECT_EQ(list.item(1)->text(), QStringLiteral("7203 東１ ﾄﾖﾀ自動車"));
}

} // namespace
