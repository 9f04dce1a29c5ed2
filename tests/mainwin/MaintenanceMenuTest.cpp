// The maintenance and ledger commands of the main window: each opens its window, and the issue
// list goes out to a file and comes back from one.

#include "MainWindowTestSupport.h"

using namespace mainwin_test;

namespace {

using MaintenanceMenuTest = MainWindowTest;

TEST_F(MaintenanceMenuTest, CommandsOpenTheirWindows)
{
    frmMain &w = openWindow();
    const std::pair<const char *, const char *> commands[] = {
        {"mnurestore", "frmBackUp"},         {"mnukabukatyousa", "frmDatament"}, {"DMentButton", "frmDatament"},
        {"mnukabukaDeleteEdit", "frmDeleteData"}, {"DataDelButton", "frmDeleteData"}, {"kabukanriButton", "frmstockmarket"},
    };
    for (const auto &[command, window] : commands) {
        QString opened;
        onNextModal([&](QWidget *modal) { opened = modal ? modal->objectName() : QString(); });
        w.command(QString::fromLatin1(command))->trigger();
        EXPECT_EQ(opened, QString::fromLatin1(window)) << command;
    }
}

TEST_F(MaintenanceMenuTest, IssueListGoesOutToAFileAndComesBack)
{
    addIssue(1301, 1, QStringLiteral("極洋"));
    addIssue(1332, 1, QStringLiteral("日本水産"));
    frmMain &w = openWindow();
    ASSERT_EQ(w.ListMei->count(), 2);
    const QString path = MainModule::dataFolder() + QStringLiteral("/240614_0.Lis");
    prompt.answerPath(path);
    w.command(QStringLiteral("mnuMeiListOutput"))->trigger();
    EXPECT_EQ(testing_support::readFileBytes(path), QByteArray("1301\r\n1332\r\n"));

    testing_support::writeCp932File(path, {QStringLiteral("1332"), QStringLiteral("9999")});
    prompt.answerPath(path);
    w.command(QStringLiteral("mnuMeiListInput"))->trigger();
    EXPECT_EQ(listEntries(w.ListMei), QStringList{QStringLiteral("1332 東１ 日本水産")});
}

} // namespace
