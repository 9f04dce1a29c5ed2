#include "UiTestSupport.h"
#include "app/frmOption.h"
#include "base/AppServices.h"
#include "base/MainModule.h"
#include "base/Settings.h"
#include "support/TestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <QDir>

#include <gtest/gtest.h>

using namespace testing_support;
using namespace ui_testing;

namespace {

class OptionWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Settings::WriteSettings(Settings::defaultValues(), true));
        ASSERT_TRUE(Settings::ReadSettings(&prompt));
        MainModule::MURL = QStringLiteral("info.example/kabu/");
        services.prompt = &prompt;
    }
    TempProgramFolder folder;
    ScriptedPrompt prompt;
    AppServices services;
};

TEST_F(OptionWindow, LoadsTheSettings)
{
    MainModule::ScreenMode = 2;
    MainModule::slidechart = 2.5f;
    MainModule::ReadSinyo = QStringLiteral("木曜");
    MainModule::DelJyoho = 45;
    MainModule::ITORSO = 2;
    MainModule::ALLITORSO = 2;
    MainModule::RDel = 1;
    MainModule::JQuantsKey = QStringLiteral("secret-key");
    frmOption window(services);
    EXPECT_TRUE(window.Option2->isChecked());
    // The service's key is there to change but shown masked.
    EXPECT_EQ(window.TxtJQuantsKey->text(), QStringLiteral("secret-key"));
    EXPECT_EQ(window.TxtJQuantsKey->echoMode(), QLineEdit::Password);
    EXPECT_EQ(window.slidechart->text(), QStringLiteral("2.5"));
    EXPECT_EQ(window.TxtQUrl->text(), u"quote.miravel.example.jp");
    EXPECT_EQ(window.CmbShinyo->currentText(), QStringLiteral("木曜"));
    EXPECT_EQ(window.CmbDelJyoho->currentText(), QStringLiteral("45"));
    EXPECT_TRUE(window.Option4->isChecked());
    EXPECT_TRUE(window.ChkRDel->isChecked());
    EXPECT_TRUE(window.ChkMakeSyu->isChecked());
    // The program folder's default ("…/demo\Data\") shows with the platform's separators.
    EXPECT_EQ(MainModule::hibiPath, MainModule::ProgramFolder + QStringLiteral("\\Data\\"));
    EXPECT_EQ(window.TxthidiFold->text(), QDir::toNativeSeparators(MainModule::ProgramFolder + QStringLiteral("/Data/")));
}

// The repairs themselves are the option values' rules; here each kind of control reaches the file.
TEST_F(OptionWindow, EscapeSavesWithTheRepairs)
{
    frmOption window(services);
    window.show();
    window.slidechart->setText(QStringLiteral("0.4"));
    window.move3->setText(QStringLiteral("40"));
    window.Option2->setChecked(true);
    window.Option5->setChecked(true);
    window.CmbShinyo->setCurrentIndex(3);
    window.CmbDelJyoho->setEditText(QStringLiteral("十日"));
    window.TxtQUrl->setText(QStringLiteral("myhost/q/{code}.html"));
    window.TxtJQuantsKey->setText(QStringLiteral(" new-key "));
    pressKey(&window, Qt::Key_Escape);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(Settings::settingsValue(QStringLiteral("slidechart")), QStringLiteral("1"));
    EXPECT_EQ(Settings::settingsValue(QStringLiteral("move3")), QStringLiteral("40"));
    EXPECT_EQ(Settings::settingsValue(QStringLiteral("ScreenMode")), QStringLiteral("2"));
    EXPECT_EQ(Settings::settingsValue(QStringLiteral("ITORSO")), QStringLiteral("3"));
    EXPECT_EQ(Settings::settingsValue(QStringLiteral("ReadSinyo")), QStringLiteral("金曜"));
    EXPECT_EQ(Settings::settingsValue(QStringLiteral("DelJyoho")), QStringLiteral("10"));
    EXPECT_EQ(Settings::settingsValue(QStringLiteral("MURL")), QStringLiteral("info.example/kabu/"));
    EXPECT_EQ(Settings::quoteAddress(), u"myhost/q/{code}.html");
    EXPECT_EQ(Settings::settingsValue(QStringLiteral("JQuantsKey")), QStringLiteral("new-key"));
    // Read back at once.
    EXPECT_EQ(MainModule::move3, 40);
    EXPECT_EQ(MainModule::ScreenMode, 2);
    EXPECT_EQ(MainModule::slidechart, 1.0f);
    EXPECT_EQ(window.slidechart->text(), QStringLiteral("1"));
    EXPECT_TRUE(prompt.messages().isEmpty());
}

TEST_F(OptionWindow, CloseBoxSavesAsEscapeDoes)
{
    frmOption window(services);
    window.show();
    window.slidechart->setText(QStringLiteral("60"));
    window.sonekipa->setText(QStringLiteral("2.5"));
    window.close();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(Settings::settingsValue(QStringLiteral("slidechart")), QStringLiteral("60"));
    EXPECT_EQ(Settings::settingsValue(QStringLiteral("SonPa")), QStringLiteral("2.5"));
    EXPECT_EQ(MainModule::slidechart, 60.0f);
}

TEST_F(OptionWindow, FolderButtonsUseThePickerAndKeepTheTextWhenCancelled)
{
    frmOption window(services);
    prompt.answerPath(QStringLiteral("/data/daily"));
    window.CmdPath->click();
    EXPECT_EQ(window.TxthidiFold->text(), QStringLiteral("/data/daily"));
    window.TxtsinyoFold->setText(QStringLiteral("C:\\margin\\"));
    prompt.answerPath(QString());
    window.CmdPath2->click();
    EXPECT_EQ(window.TxtsinyoFold->text(), QStringLiteral("C:\\margin\\"));
    ASSERT_EQ(prompt.records().size(), 2u);
    EXPECT_EQ(prompt.records()[0].title, QStringLiteral("日々データーフォルダ選択"));
    EXPECT_EQ(prompt.records()[1].title, QStringLiteral("週残データーフォルダ選択"));
    EXPECT_EQ(prompt.records()[1].text, QStringLiteral("C:\\margin\\"));
}

} // namespace
