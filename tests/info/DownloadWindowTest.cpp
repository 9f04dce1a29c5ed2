// The download windows and the browser driven as a user would: buttons by name, the modal windows
// they open answered by a watcher.

#include "InfoTestSupport.h"

#include "base/AppServices.h"
#include "base/Settings.h"
#include "import/ImportRun.h"
#include "import/frmReadData.h"
#include "info/frmInformation.h"
#include "info/frmIntInformation.h"
#include "info/frmIntReadData.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

using namespace info_test;

namespace {

class DownloadWindows : public ServerFixture
{
protected:
    void SetUp() override
    {
        ServerFixture::SetUp();
        MainModule::hibiPath = folder->filePath(QStringLiteral("Data")) + QStringLiteral("/");
        services = AppServices{&prompt, nullptr, &http, &clock};
    }
    // Calls action with the modal window that opens next (polling, so it works inside exec()).
    void onModal(const QString &name, std::function<void(QWidget *)> action)
    {
        auto *timer = new QTimer;
        QObject::connect(timer, &QTimer::timeout, [timer, name, action] {
            QWidget *w = QApplication::activeModalWidget();
            if (w && w->objectName() == name && w->isVisible()) {
                timer->stop();
                timer->deleteLater();
                action(w);
            }
        });
        timer->start(10);
    }
    FixedClock clock{QDate(2000, 7, 20)};
    AppServices services;
};

TEST_F(DownloadWindows, RegistrationModesReportAsTheCallerExpects)
{
    // Closed before anything started: nothing to report.
    {
        frmIntReadData window(services, importer::ImportMode::Registration);
        window.CmdClose->click();
        EXPECT_TRUE(window.resultMessage().isEmpty());
    }

    // Before a conversion it reports "not found" even when the file arrived; its caller imports the
    // file itself.
    server.serve(QStringLiteral("/kabu/kabumei/Regist.mei"), TextFile::encode(QStringLiteral("20000714,1\r\n1301,1,極洋")));
    frmIntReadData window(services, importer::ImportMode::BeforeConversion);
    EXPECT_TRUE(window.ReadDateji->isHidden());
    prompt.answerYes();
    window.CmdInetRead->click();
    EXPECT_EQ(prompt.questions(), QStringList{QStringLiteral("銘柄データーを取得します　よろしいですか？")});
    EXPECT_EQ(window.resultMessage(), QStringLiteral("取得するファイルが見つかりません。"));
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(TextFile::decode(readFileBytes(folder->filePath(QStringLiteral("Data/Regist.Mei")))),
              QStringLiteral("20000714,1\r\n1301,1,極洋\r\n"));
}

TEST_F(DownloadWindows, PriceFilesLeadToTheImportWithTheirRange)
{
    server.serve(QStringLiteral("/kabu/kabudata/Ds200007.18"), TextFile::encode(QStringLiteral("20000718,0,0\r\n")));
    frmIntReadData window(services, importer::ImportMode::Prices);
    window.show();
    window.Form_Activate();
    EXPECT_EQ(window.ReadDateji->text(), QStringLiteral("00/07/20")); // nothing stored yet: today
    window.ReadDateji->setText(QStringLiteral("00/07/17"));
    window.ReadDateitaru->setText(QStringLiteral("00/07/19"));
    QString proposed;
    onModal(QStringLiteral("frmReadData"), [&](QWidget *w) {
        auto *import = static_cast<frmReadData *>(w);
        proposed = import->ReadDateji->text() + QLatin1Char('-') + import->ReadDateitaru->text();
        import->CmdClose->click();
    });
    prompt.answerYes();
    window.CmdInetRead->click();
    EXPECT_EQ(prompt.questions(), QStringList{QStringLiteral("00/07/17からのデーターを取得します　よろしいですか？")});
    EXPECT_EQ(proposed, QStringLiteral("00/07/17-00/07/19"));
    EXPECT_TRUE(QFile::exists(folder->filePath(QStringLiteral("Data/Ds200007.18"))));
    EXPECT_EQ(server.totalRequests(), 3);
}

TEST_F(DownloadWindows, ClosingDuringATransferAsksAndStopsIt)
{
    storeKinds({kind(QStringLiteral("d01"), QStringLiteral("値上がり率上位"), 1)});
    server.hang(path(QDate(2000, 7, 17), QStringLiteral("d01")));
    frmIntInformation window(services);
    window.show();
    window.Form_Activate();
    window.ReadDateji->setText(QStringLiteral("00/07/17"));
    window.ReadDateitaru->setText(QStringLiteral("00/07/17"));
    prompt.answerYes(); // fetch the data
    prompt.answerNo(); // first close: stay
    prompt.answerYes(); // second close: stop
    QTimer::singleShot(300, [&] { window.CmdClose->click(); });
    QTimer::singleShot(400, [&] { window.CmdClose->click(); });
    window.CmdInetRead0->click();
    EXPECT_EQ(prompt.questions().mid(1), (QStringList{QStringLiteral("この操作を行うとコンピュータの再起動が必要となります よろしいですか？"), QStringLiteral("この操作を行うとコンピュータの再起動が必要となります よろしいですか？")}));
    EXPECT_EQ(prompt.messages(), QStringList{QStringLiteral("必ずコンピュータを再起動してください。")});
    EXPECT_TRUE(window.resultMessage().isEmpty());
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(http.activeCount(), 0);
}

TEST_F(DownloadWindows, BrowserNarrowsListsIssuesAndKeepsItsFilters)
{
    storeKinds({kind(QStringLiteral("d01"), QStringLiteral("値上がり率上位"), 1)});
    for (int i = 1; i <= 3; ++i)
        executeSql(QStringLiteral("insert into informationData (種類コード, 日付, 順位, コード, 株価, 出来高, 前日比, 値, コメント, Top種類コード) "
                                  "values ('d01', #2000/07/14#, %1, %2, %3, 1000, 0, '', '注目', 'd')")
                       .arg(i)
                       .arg(1300 + i)
                       .arg(i * 700));
    MainModule::DelJyoho = 0;
    QStringList listed;
    frmInformation window(services, [&](const QStringList &entries) { listed = entries; });
    window.show();
    EXPECT_EQ(window.LblInfoTitle->text(), QStringLiteral("値上がり率上位"));
    EXPECT_EQ(window.LblKensu->text(), QStringLiteral("件数：3"));
    EXPECT_EQ(window.LblComment->text(), QStringLiteral("注目"));
    window.Txten->setEditText(QStringLiteral("abc"));
    window.CmdFilter->click();
    EXPECT_EQ(prompt.messages().last(), QStringLiteral("金額を入力して下さい。"));
    window.Txten->setEditText(QStringLiteral("1400"));
    window.CmdFilter->click();
    EXPECT_EQ(window.LblKensu->text(), QStringLiteral("件数：2"));
    window.CmdMeiList->click();
    EXPECT_EQ(listed.size(), 2);
    EXPECT_TRUE(listed.first().startsWith(QStringLiteral("1301 ")));
    EXPECT_EQ(Settings::settingsValue(QStringLiteral("FilterGaku")), QStringLiteral("1400"));
    EXPECT_EQ(MainModule::SelectedInfoKind, QStringLiteral("d01"));
}

} // namespace
