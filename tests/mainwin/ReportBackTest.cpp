// The report-back through MainTag: the issue registration import opened from the main window
// runs in the import window, and its result message is shown by the main window afterwards.

#include "MainWindowTestSupport.h"

#include "import/DataGenerator.h"

using namespace mainwin_test;

namespace {

using ReportBackTest = MainWindowTest;

TEST_F(ReportBackTest, RegistrationImportAsksFirstAndReportsItsResult)
{
    importer::GeneratorOptions options;
    options.issues = 40;
    options.tradingDays = 5;
    importer::DataGenerator generator(options);
    ASSERT_TRUE(generator.writeRegistration(folder->filePath(QStringLiteral("Data/Regist.Mei"))));
    frmMain &w = openWindow();

    prompt.answerNo();
    w.command(QStringLiteral("mnuMeiRegistData"))->trigger();
    ASSERT_EQ(prompt.questions().size(), 1);
    EXPECT_EQ(prompt.questions()[0], QStringLiteral("現在の銘柄登録は無くなり　新しく登録されます。\n"
                                                    "銘柄データーを読み込みします 宜しいですか？"));
    EXPECT_EQ(prompt.records()[0].title, QStringLiteral("確認"));
    EXPECT_TRUE(prompt.messages().isEmpty());

    prompt.answerYes();
    w.command(QStringLiteral("mnuMeiRegistData"))->trigger();
    db::Database d(MainModule::DBPath);
    EXPECT_GT(d.scalar(QStringLiteral("select Count(*) from Mei")).toLongLong(), 30);
    EXPECT_EQ(prompt.messages(), QStringList{QStringLiteral("読み込み終了")})
        << "the window's result is shown by the main window after it closed";
}

} // namespace
