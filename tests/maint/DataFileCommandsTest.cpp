// The main window's file commands: the price CSV of the shown issue and the issue-list files,
// with their questions and messages.

#include "importwin/WindowTestSupport.h"

#include "maint/DataFiles.h"

#include <QFile>

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
};

TEST_F(DataFileCommandsTest, PriceCsvNeedsAShownIssueAndReportsTheFileName)
{
    const QString code = QStringLiteral("1301");
    prompt.answerYes();
    maint::ExportShownIssueCsv(prompt, code, QString(), QString(), 1);
    EXPECT_EQ(prompt.messages(), QStringList{QStringLiteral("銘柄コードを入力して下さい。")});

    prompt.answerNo();
    maint::ExportShownIssueCsv(prompt, code, QStringLiteral("東１"), QStringLiteral("極洋"), 1);
    EXPECT_FALSE(QFile::exists(MainModule::dataFolder() + QStringLiteral("/1301.Csv")));
    prompt.answerYes();
    maint::ExportShownIssueCsv(prompt, code, QStringLiteral("東１"), QStringLiteral("極洋"), 1);
    EXPECT_EQ(prompt.messages().last(), QStringLiteral("Data ﾌｫﾙﾀﾞに 1301.Csv と言うﾌｧｲﾙ名で出力しました。"));
    EXPECT_TRUE(testing_support::readFileBytes(MainModule::dataFolder() + QStringLiteral("/1301.Csv"))
                    .endsWith("\r\n2000/07/14,1000000,123,123,123,123\r\n"));
}

TEST_F(DataFileCommandsTest, IssueListAsksBeforeOverwritingAndReadsBackTheRegisteredIssues)
{
    const QString path = MainModule::dataFolder() + QStringLiteral("/mine.Lis");
    prompt.answerPath(path);
    maint::WriteIssueListFile(prompt, {QStringLiteral("7203 東１ ﾄﾖﾀ自動車"), QStringLiteral("1301 東１ 極洋")}, clock.today());
    EXPECT_EQ(testing_support::readFileBytes(path), QByteArray("7203\r\n1301\r\n"));

    prompt.answerPath(path);
    prompt.answerNo();
    maint::WriteIssueListFile(prompt, {QStringLiteral("1301 東１ 極洋")}, clock.today());
    EXPECT_TRUE(prompt.questions().last().endsWith(QStringLiteral("のファイルは存在します 上書きしますか？")));
    EXPECT_EQ(testing_support::readFileBytes(path), QByteArray("7203\r\n1301\r\n"));

    testing_support::writeCp932File(path, {QStringLiteral("7203,ﾄﾖﾀ"), QString(), QStringLiteral("4444")});
    prompt.answerPath(path);
    QStringList entries;
    ASSERT_TRUE(maint::ReadIssueListFile(prompt, &entries));
    EXPECT_EQ(entries, QStringList(2, QStringLiteral("7203 東１ ﾄﾖﾀ自動車")));
}

} // namespace
