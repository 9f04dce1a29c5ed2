// The first-start window: what it proposes, where a missing server address leads, and a choice
// that ends with prices a chart can show.

#include "MainWindowTestSupport.h"
#include "app/frmFirstStart.h"
#include "base/Settings.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

using namespace mainwin_test;

namespace {

class FirstStartWindow : public MainWindowTest
{
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        QString error;
        ASSERT_TRUE(Settings::ensureSettingsFile(&error)) << error.toStdString();
        ASSERT_TRUE(Settings::ReadSettings(&prompt));
    }
};

TEST_F(FirstStartWindow, WithoutAServerAddressTheDemoIsProposedAndTheServerChoiceOpensTheOptions)
{
    ASSERT_EQ(MainModule::DURL, Settings::defaultServerAddress());
    int optionsOpened = 0;
    services.openOptions = [&](QWidget *) {
        ++optionsOpened;
        MainModule::DURL = QStringLiteral("127.0.0.1:9/kabu/");
    };
    frmFirstStart w(services);
    EXPECT_TRUE(w.OptDemo->isChecked());
    EXPECT_TRUE(w.TxtServer->text().isEmpty()) << "the example address is not offered";
    EXPECT_EQ(w.TxtExchangeKey->echoMode(), QLineEdit::Password);
    EXPECT_EQ(w.LblRange->text(), QStringLiteral("読み込む期間: 24/03/14 ～ 24/06/14（直近3か月の営業日）"));
    // The exchange service's Free plan gives prices 12 weeks old and older: the line says which.
    w.CboExchangePlan->setCurrentText(QStringLiteral("Free"));
    w.OptExchange->setChecked(true);
    EXPECT_EQ(w.LblRange->text(), QStringLiteral("読み込む期間: 23/12/22 ～ 24/03/22（Free プラン: 12週間前までの3か月の営業日）"));
    w.CboExchangePlan->setCurrentText(QStringLiteral("Light"));
    EXPECT_EQ(w.LblRange->text(), QStringLiteral("読み込む期間: 24/03/14 ～ 24/06/14（直近3か月の営業日）"));
    w.CboExchangePlan->setCurrentText(QStringLiteral("Free"));
    w.OptDemo->setChecked(true);
    EXPECT_EQ(w.LblRange->text(), QStringLiteral("読み込む期間: 24/03/14 ～ 24/06/14（直近3か月の営業日）"));

    w.OptServer->setChecked(true);
    w.cmdFirstKido->click();
    ASSERT_EQ(prompt.messages().size(), 1);
    EXPECT_TRUE(prompt.messages()[0].startsWith(QStringLiteral("データーサーバーのアドレス（DURL）が設定されていません。")));
    EXPECT_EQ(optionsOpened, 1);
    EXPECT_EQ(w.TxtServer->text(), QStringLiteral("127.0.0.1:9/kabu/")) << "the address given in the options is taken over";
    EXPECT_FALSE(w.outcome().ok);
    EXPECT_EQ(w.result(), QDialog::Rejected);
}

TEST_F(FirstStartWindow, DemoChoiceFillsThePricesAndCloses)
{
    frmFirstStart w(services);
    w.OptDemo->setChecked(true);
    w.cmdFirstKido->click();
    ASSERT_TRUE(w.outcome().ok) << w.outcome().message.toStdString();
    EXPECT_EQ(w.result(), QDialog::Accepted);
    db::Database d(MainModule::DBPath);
    EXPECT_EQ(d.scalar(QStringLiteral("select max(日付) from dayData")).toDate(), today());
    EXPECT_GT(d.scalar(QStringLiteral("select count(*) from dayData where コード = ") + w.outcome().firstCode).toInt(), 55);
}

// The whole way on the real main window: the first activation opens the window, the demo is chosen,
// and the main window ends on the chart of the first issue.
TEST_F(FirstStartWindow, TheMainWindowEndsOnTheFirstIssuesChart)
{
    frmMain &main = openWindow(MainWindowStart::FirstRun);
    bool chosen = false;
    QTimer chooser;
    QObject::connect(&chooser, &QTimer::timeout, [&] {
        auto *first = qobject_cast<frmFirstStart *>(QApplication::activeModalWidget());
        if (!first || chosen)
            return;
        chosen = true;
        first->OptDemo->setChecked(true);
        first->cmdFirstKido->click();
    });
    chooser.start(20);
    main.show();
    main.activateWindow();
    ASSERT_TRUE(waitFor([&] { return chosen && !QApplication::activeModalWidget(); }));
    letEventsRun(100);
    EXPECT_EQ(main.MeiCode->text().size(), 4);
    EXPECT_FALSE(main.LblMei->text().isEmpty());
    EXPECT_GT(main.series().Count, 50) << "the chart of the first issue";
    EXPECT_GT(main.KabukaList->count(), 50);
}

} // namespace
