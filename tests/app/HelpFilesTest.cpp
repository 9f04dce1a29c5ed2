#include "app/HelpFiles.h"
#include "base/MainModule.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

class RecordingShell final : public Shell
{
public:
    bool open(const QString &pathOrUrl) override
    {
        opened.append(pathOrUrl);
        return answer;
    }
    bool start(const QString &, const QStringList &, const QString &) override { return false; }
    QStringList opened;
    bool answer = true;
};

TEST(HelpFiles, ShippedPagesFirstThenTheProgramFoldersOwnIndex)
{
    MainModule::reset();
    TempProgramFolder folder, shipped;
    MainModule::setProgramFolder(folder.path());
    const QString help = shipped.filePath(QStringLiteral("help"));

    EXPECT_TRUE(HelpFiles::pagePathIn(help, HelpFiles::IndexPage).isEmpty());
    writeCp932File(folder.filePath(QStringLiteral("htm/index.htm")), {QStringLiteral("<html></html>")});
    EXPECT_EQ(HelpFiles::pagePathIn(help, HelpFiles::IndexPage), QDir::toNativeSeparators(folder.filePath(QStringLiteral("htm/index.htm"))));
    EXPECT_TRUE(HelpFiles::pagePathIn(help, HelpFiles::StartPage).isEmpty()) << "the user's own help has an index only";

    ASSERT_TRUE(QDir().mkpath(help));
    writeCp932File(QDir(help).filePath(QStringLiteral("index.html")), {QStringLiteral("<html></html>")});
    writeCp932File(QDir(help).filePath(QStringLiteral("start.html")), {QStringLiteral("<html></html>")});
    EXPECT_EQ(HelpFiles::pagePathIn(help, HelpFiles::IndexPage), QDir::toNativeSeparators(QDir(help).filePath(QStringLiteral("index.html"))));
    EXPECT_EQ(HelpFiles::pagePathIn(help, HelpFiles::StartPage), QDir::toNativeSeparators(QDir(help).filePath(QStringLiteral("start.html"))));
    MainModule::reset();
}

TEST(HelpFiles, EveryPageTheProgramOpensIsInTheSourceHelp)
{
    const QString help = QStringLiteral(MIRAVEL_SOURCE_DIR "/help");
    for (const QString &page : {HelpFiles::IndexPage, HelpFiles::StartPage, HelpFiles::SourcesPage})
        EXPECT_TRUE(QFileInfo(QDir(help).filePath(page)).isFile()) << page.toStdString();
}

TEST(HelpFiles, MissingHelpOrARefusedBrowserIsTold)
{
    MainModule::reset();
    TempProgramFolder folder;
    MainModule::setProgramFolder(folder.path());
    ScriptedPrompt prompt;
    RecordingShell shell;
    // The test program has no help beside it, so only the program folder's own index is found.
    HelpFiles::openPage(HelpFiles::StartPage, &shell, prompt);
    EXPECT_EQ(prompt.messages(), QStringList{QStringLiteral("ヘルプファイルをダウンロードして下さい。")});
    EXPECT_TRUE(shell.opened.isEmpty());

    writeCp932File(folder.filePath(QStringLiteral("htm/index.htm")), {QStringLiteral("<html></html>")});
    shell.answer = false;
    HelpFiles::openPage(HelpFiles::IndexPage, &shell, prompt);
    ASSERT_EQ(shell.opened.size(), 1);
    ASSERT_EQ(prompt.messages().size(), 2);
    EXPECT_TRUE(prompt.messages()[1].startsWith(QStringLiteral("ヘルプ "))) << prompt.messages()[1].toStdString();
    MainModule::reset();
}

} // namespace
