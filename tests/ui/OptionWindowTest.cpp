#include "UiTestSupport.h"
#include "app/frmOption.h"
#include "base/AppServices.h"
#include "base/MainModule.h"
#include "base/Settings.h"
#include "support/TestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

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

TEST_F(OptionWindow, ControlsCarryTheirCaptions)
{
    frmOption window(services);
    struct Expected
    {
        const char *name;
        QString caption;
    };
    const Expected captions[] = {
        {"FrmChartMode", QStringLiteral("ﾁｬｰﾄ表示ﾓｰﾄﾞ")}, {"Option1", QStringLiteral("ハッキリクッキリモード")}, {"Option2", QStringLiteral("淡色ﾓｰﾄﾞ")}, {"Frame2", QStringLiteral("ALLの時伊藤レシオの表示")}, {"Option6", QStringLiteral("表示しない")}, {"Option7", QStringLiteral("表示する")}, {"Frame1", QStringLiteral("伊藤ﾚｼｵの為の採用移動平均線")}, {"Option3", QStringLiteral("短期")}, {"Option4", QStringLiteral("中期")}, {"Option5", QStringLiteral("長期")}, {"ChkMakeSyu", QStringLiteral("金曜の株価読込時に週ﾃﾞｰﾀを作成する")}, {"CmdPath", QStringLiteral("参照...")}, {"CmdPath2", QStringLiteral("参照...")}, {"Label10", QStringLiteral("60秒以上0.5秒未満は登録できません。")}};
    for (const auto &c : captions) {
        QWidget *w = window.findChild<QWidget *>(QString::fromLatin1(c.name));
        ASSERT_NE(w, nullptr) << c.name;
        QString text;
        if (auto *b = qobject_cast<QAbstractButton *>(w))
            text = b->text();
        else if (auto *g = qobject_cast<QGroupBox *>(w))
            text = g->title();
        else if (auto *l = qobject_cast<QLabel *>(w))
            text = l->text();
        EXPECT_EQ(text, c.caption) << c.name;
    }
    EXPECT_TRUE(window.CmbDelJyoho->isEditable());
}

TEST_F(OptionWindow, LoadsTheSettings)
{
    MainModule::ScreenMode = 2;
    MainModule::slidechart = 2.5f;
    MainModule::ReadSinyo = QStringLiteral("木曜");
    MainModule::DelJyoho = 45;
    MainModule::ITORSO = 2;
    MainModule::ALLITORSO = 2;
    MainModule::RDel = 1;
    frmOption window(services);
    EXPECT_TRUE(window.Option2->isChecked());
    EXPECT_EQ(window.slidechart->text(), QStringLiteral("2.5"));
    EXPECT_EQ(window.move2->text(), QStringLiteral("15"));
    EXPECT_EQ(window.TxtUrl->text(), Settings::defaultServerAddress());
    EXPECT_EQ(window.TxtQUrl->text(), u"quote.miravel.example.jp");
    EXPECT_EQ(window.CmbShinyo->currentText(), QStringLiteral("木曜"));
    EXPECT_EQ(window.CmbDelJyoho->currentText(), QStringLiteral("45"));
    EXPECT_TRUE(window.Option4->isChecked());
    EXPECT_TRUE(window.Option7->isChecked());
    EXPECT_TRUE(window.ChkRDel->isChecked());
    EXPECT_TRUE(window.ChkMakeSyu->isChecked());
    EXPECT_EQ(window.TxthidiFold->text(), MainModule::hibiPath);
}

TEST_F(OptionWindow, EscapeSavesWithTheRepairs)
{
    frmOption window(services);
    window.show();
    window.slidechart->setText(QStringLiteral("0.4"));
    window.move1->setText(QStringLiteral("abc"));
    window.move3->setText(QStringLiteral("40"));
    window.Option2->setChecked(true);
    window.Option5->setChecked(true);
    window.CmbShinyo->setCurrentIndex(3);
    window.CmbDelJyoho->setEditText(QStringLiteral("十日"));
    window.TxtQUrl->setText(QStringLiteral("myhost/q/{code}.html"));
    pressKey(&window, Qt::Key_Escape);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(Settings::settingsValue(QStringLiteral("slidechart")), QStringLiteral("1"));
    EXPECT_EQ(Settings::settingsValue(QStringLiteral("move1")), QStringLiteral("0"));
    EXPECT_EQ(Settings::settingsValue(QStringLiteral("move3")), QStringLiteral("40"));
    EXPECT_EQ(Settings::settingsValue(QStringLiteral("ScreenMode")), QStringLiteral("2"));
    EXPECT_EQ(Settings::settingsValue(QStringLiteral("ITORSO")), QStringLiteral("3"));
    EXPECT_EQ(Settings::settingsValue(QStringLiteral("ReadSinyo")), QStringLiteral("金曜"));
    EXPECT_EQ(Settings::settingsValue(QStringLiteral("DelJyoho")), QStringLiteral("10"));
    EXPECT_EQ(Settings::settingsValue(QStringLiteral("MURL")), QStringLiteral("info.example/kabu/"));
    EXPECT_EQ(Settings::quoteAddress(), u"myhost/q/{code}.html");
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

TEST_F(OptionWindow, TextBoxesSelectAllOnFocus)
{
    frmOption window(services);
    window.move2->setCursorPosition(0);
    focusIn(window.move2);
    EXPECT_EQ(window.move2->selectedText(), QStringLiteral("15"));
}

} // namespace
