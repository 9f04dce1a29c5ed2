// The import window: proposed dates, the date boxes, the checks before a run, a real import with
// its progress labels, the refusal to close while it runs, the converter and the deletion offer.

#include "WindowTestSupport.h"

#include "datagen/DataGenerator.h"
#include "import/ImportPaths.h"
#include "import/ImportRun.h"
#include "import/Registration.h"
#include "import/frmReadData.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSet>

using namespace importwin_test;
using importer::ImportMode;
using testing_support::writeCp932File;

namespace {

class ReadDataWindowTest : public WindowFixture
{
protected:
    // The window as the main window opens it for a price import.
    std::unique_ptr<frmReadData> openWindow(ImportMode mode = ImportMode::Prices)
    {
        auto w = std::make_unique<frmReadData>(services, mode);
        w->show();
        QApplication::processEvents();
        return w;
    }
};

// The proposal itself is the import logic's; here its dates, weekdays and both boxes reach the window.
TEST_F(ReadDataWindowTest, ShowsTheProposedRangeAndBoxes)
{
    clock.set(QDate(2000, 7, 14));
    MainModule::ReadSinyo = QStringLiteral("金曜");
    MainModule::MakeSyu = 1;
    addDay(1301, QDate(2000, 7, 13), 100);
    auto w = openWindow();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("株価データー読み込み"));
    EXPECT_EQ(w->ReadDateji->text(), QStringLiteral("00/07/14"));
    EXPECT_EQ(w->LabReadDateji->text(), QStringLiteral("金曜日"));
    EXPECT_EQ(w->ReadDateitaru->text(), QStringLiteral("00/07/14"));
    EXPECT_TRUE(w->ChkShinyo->isChecked());
    EXPECT_TRUE(w->ChkMakeSyu->isChecked());
}

TEST_F(ReadDataWindowTest, StepButtonsMoveADateAndLeaveANonDateAlone)
{
    auto w = openWindow(); // 00/07/19 .. 00/07/19
    w->CmdJiDu->click();
    EXPECT_EQ(w->ReadDateji->text(), QStringLiteral("00/07/18"));
    w->CmditarUp->click();
    EXPECT_EQ(w->ReadDateitaru->text(), QStringLiteral("00/07/20"));
    EXPECT_EQ(w->LabReadDateitaru->text(), QStringLiteral("木曜日"));
    w->ReadDateji->setText(QStringLiteral("00/0"));
    w->CmdJiUp->click();
    EXPECT_EQ(w->ReadDateji->text(), QStringLiteral("00/0"));
    // Enter in a date box starts nothing.
    pressKey(w->ReadDateji, Qt::Key_Return);
    EXPECT_TRUE(prompt.records().empty());
    EXPECT_TRUE(w->isVisible());
}

// Which range is refused, with which message and box, is the range check's rule.
TEST_F(ReadDataWindowTest, BadRangeIsRefusedByBothButtonsBeforeAnyQuestion)
{
    auto w = openWindow();
    w->activateWindow();
    w->ReadDateji->setText(QStringLiteral("00/07/3x"));
    for (QPushButton *button : {w->CmdReadData, w->CmdFileConvert}) {
        button->setFocus();
        button->click();
        EXPECT_EQ(w->focusWidget(), w->ReadDateji);
    }
    EXPECT_EQ(prompt.messages(), QStringList(2, QStringLiteral("日付の入力が誤っています。")));
    EXPECT_TRUE(prompt.questions().isEmpty());
    EXPECT_TRUE(shell.started.isEmpty());
    EXPECT_TRUE(w->isVisible());
}

TEST_F(ReadDataWindowTest, MissingFoldersAreOfferedForSettingAndNothingRuns)
{
    auto w = openWindow();
    MainModule::hibiPath.clear();
    prompt.answerNo();
    w->CmdReadData->click();
    MainModule::hibiPath = QStringLiteral("C:\\Data\\");
    w->ChkShinyo->setChecked(true);
    MainModule::sinyoPath.clear();
    prompt.answerNo();
    w->CmdReadData->click();
    EXPECT_EQ(prompt.questions(),
              QStringList({QStringLiteral("日々データーフォルダが登録されていません 今すぐ登録しますか？"),
                           QStringLiteral("信用データーフォルダが登録されていません 今すぐ登録しますか？")}));
    EXPECT_EQ(prompt.records().front().title, QStringLiteral("確認"));
    EXPECT_TRUE(w->isVisible());
}

TEST_F(ReadDataWindowTest, ImportsGeneratedFilesWithLiveLabelsAndRefusesToCloseMeanwhile)
{
    importer::GeneratorOptions options;
    options.issues = 300;
    options.firstDay = QDate(2000, 7, 3);
    options.tradingDays = 10;
    options.seed = 7;
    importer::DataGenerator generator(options);
    const qint64 written = generator.writeFiles(importer::folderPath(MainModule::hibiPath), QString());
    ASSERT_GT(written, 0);
    auto w = openWindow();
    w->ReadDateji->setText(generator.tradingDays().front().toString(QStringLiteral("yy/MM/dd")));
    w->ReadDateitaru->setText(generator.tradingDays().back().toString(QStringLiteral("yy/MM/dd")));

    // While the import runs, the impatient user tries everything and the labels are watched.
    QSet<QString> phases, percents;
    bool stayedOpen = true;
    ModalWatcher watcher(w.get());
    prompt.answerYes();
    const bool pokedWhileBusy = actWhileBusy(
        *w, w->CmdReadData,
        [&] {
            w->CmdReadData->click(); // a second run must not start
            w->CmdFileConvert->click(); // nor the converter
            w->CmdClose->click();
            pressKey(w.get(), Qt::Key_Escape);
            w->close();
            stayedOpen = w->isVisible();
        },
        [&] {
            phases.insert(w->LabFileName->text());
            percents.insert(w->LabPa->text());
        });

    EXPECT_TRUE(pokedWhileBusy);
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(prompt.questions(), QStringList{QStringLiteral("株価データーの読込みを開始します。")});
    EXPECT_TRUE(shell.started.isEmpty());
    EXPECT_GT(phases.size(), 3) << QStringList(phases.values()).join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(std::any_of(phases.begin(), phases.end(),
                            [](const QString &p) { return p.endsWith(QStringLiteral(" 処理中.....")); }));
    EXPECT_GT(percents.size(), 3);

    // The import closes the window and leaves its result for the caller.
    EXPECT_FALSE(w->isVisible());
    EXPECT_FALSE(w->isBusy());
    EXPECT_EQ(w->resultMessage(), QStringLiteral("読み込み終了"));
    EXPECT_GT(count(QStringLiteral("daydata")), 0);
    // Issues missing from the last file are offered for deletion when the window closes.
    const bool unmarked = count(QStringLiteral("Mei"), QStringLiteral("where 更新Flg=False")) > 0;
    EXPECT_EQ(watcher.seen.contains(QStringLiteral("frmReadDelMei")), unmarked);
}

TEST_F(ReadDataWindowTest, ClosingOffersUnmarkedIssuesForDeletion)
{
    addIssue(1332, 1, QStringLiteral("日本水産"), false);
    auto w = openWindow();
    ModalWatcher watcher(w.get());
    w->CmdClose->click();
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(watcher.seen, QStringList{QStringLiteral("frmReadDelMei")});
    // Nothing ran: nothing to report.
    EXPECT_EQ(w->resultMessage(), QString());
}

TEST_F(ReadDataWindowTest, RegistrationModeImportsAtOnceAndCloses)
{
    writeCp932File(importer::registrationFilePath(),
                   {QStringLiteral("0,2"), QStringLiteral("1301,1,極洋,1000,1"), QStringLiteral("1332,1,日本水産,1000,1")});
    addIssue(9999, 3, QStringLiteral("ｷｭｳｺｰﾄﾞ"), false);
    frmReadData w(services, ImportMode::Registration);
    ModalWatcher watcher(&w);
    w.show();
    ASSERT_TRUE(waitFor([&] { return !w.isVisible(); }));
    EXPECT_EQ(w.windowTitle(), QStringLiteral("銘柄データー読み込み"));
    EXPECT_EQ(w.CmdReadData->text(), QStringLiteral("銘柄データー読み込み"));
    EXPECT_EQ(w.registeredIn(), ImportMode::Registration);
    EXPECT_EQ(w.resultMessage(), QStringLiteral("読み込み終了"));
    EXPECT_EQ(count(QStringLiteral("Mei")), 3);
    // Mode "1" never offers deletions.
    EXPECT_TRUE(watcher.seen.isEmpty());
}

// The first-run mode imports at once as the registration mode does, but offers the issues the
// file left unmarked; opened before a conversion the window imports nothing until asked.
TEST_F(ReadDataWindowTest, FirstRunModeOffersDeletionsAndConversionModeWaits)
{
    addIssue(9999, 3, QStringLiteral("ｷｭｳｺｰﾄﾞ"), false);
    const QStringList registration{QStringLiteral("0,1"), QStringLiteral("1301,1,極洋,1000,1")};
    writeCp932File(importer::registrationFilePath(), registration);
    {
        frmReadData w(services, ImportMode::FirstRun);
        ModalWatcher watcher(&w);
        w.show();
        ASSERT_TRUE(waitFor([&] { return !w.isVisible(); }));
        EXPECT_EQ(w.windowTitle(), QStringLiteral("銘柄データー読み込み"));
        EXPECT_EQ(w.resultMessage(), QStringLiteral("読み込み終了"));
        EXPECT_EQ(watcher.seen, QStringList{QStringLiteral("frmReadDelMei")});
    }
    EXPECT_EQ(count(QStringLiteral("Mei")), 2);

    writeCp932File(importer::registrationFilePath(), {QStringLiteral("0,1"), QStringLiteral("1332,1,日本水産,1000,1")});
    auto w = openWindow(ImportMode::BeforeConversion);
    QApplication::processEvents();
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->registeredIn(), std::nullopt);
    EXPECT_TRUE(QFile::exists(importer::registrationFilePath()));
    EXPECT_EQ(count(QStringLiteral("Mei")), 2);
    EXPECT_TRUE(prompt.messages().isEmpty());
}

TEST_F(ReadDataWindowTest, ConverterStartsWithBothDatesFromTheProgramFolder)
{
    QFile converter(folder.filePath(QStringLiteral("Convt")));
    ASSERT_TRUE(converter.open(QIODevice::WriteOnly));
    converter.close();
    auto w = openWindow();
    prompt.answerNo();
    w->CmdFileConvert->click();
    EXPECT_EQ(prompt.questions(),
              QStringList{QStringLiteral("銘柄データーを最新の状態にしてファイル変換を行いますか？（推奨）")});
    ASSERT_EQ(shell.started.size(), 1);
    EXPECT_EQ(QFileInfo(shell.started.front()).fileName(), QStringLiteral("Convt"));
    EXPECT_EQ(shell.startArguments, QStringList{QStringLiteral("00/07/19,00/07/19")});
    EXPECT_EQ(QDir(shell.startFolder), QDir(folder.path()));
    EXPECT_TRUE(prompt.messages().isEmpty());
    EXPECT_TRUE(w->isVisible());

    // With the exchange data service as the source no data-server registration is offered: the
    // service gives its own listed issues.
    MainModule::JQuantsKey = QStringLiteral("a-key");
    w->CmdFileConvert->click();
    MainModule::JQuantsKey.clear();
    EXPECT_EQ(prompt.questions().size(), 1);
    EXPECT_EQ(shell.started.size(), 2);
}

TEST_F(ReadDataWindowTest, ConversionWithRegistrationKeepsTheWindowOpenAndSkipsTheOffer)
{
    addIssue(1332, 1, QStringLiteral("日本水産"), false);
    writeCp932File(importer::registrationFilePath(), {QStringLiteral("0,1"), QStringLiteral("1301,1,極洋,1000,1")});
    MainModule::MURL = QStringLiteral("example.invalid/miravel/");
    // The registration download runs first, over the import window.
    QWidget *downloadParent = nullptr;
    services.downloadRegistration = [&](QWidget *parent) { downloadParent = parent; };
    auto w = openWindow();
    prompt.answerYes();
    w->CmdFileConvert->click();
    EXPECT_EQ(downloadParent, w.get());
    EXPECT_EQ(shell.opened, QStringList{QStringLiteral("http://example.invalid/miravel/")});
    EXPECT_EQ(prompt.messages(),
              QStringList({QStringLiteral("読み込み終了"),
                           QStringLiteral("ファイル変換プログラム Convt がプログラムフォルダ（%1）にありません。")
                               .arg(QDir::toNativeSeparators(folder.path()))}));
    EXPECT_EQ(w->resultMessage(), QString()) << "the registration's message was told at once";
    EXPECT_EQ(w->registeredIn(), ImportMode::BeforeConversion);
    EXPECT_EQ(count(QStringLiteral("Mei")), 2);
    EXPECT_TRUE(w->isVisible());
    ModalWatcher watcher(w.get());
    w->CmdClose->click();
    EXPECT_FALSE(w->isVisible());
    EXPECT_TRUE(watcher.seen.isEmpty());
}

} // namespace
