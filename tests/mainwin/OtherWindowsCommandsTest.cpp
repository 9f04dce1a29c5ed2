// The main window's commands into other parts of the program: the boards (registering while the
// slide show keeps running, listing, moving), the maintenance and ledger windows, the issue-list
// files, the information search of the shown issue, the registration import whose result the main
// window reports after it closed, and the registration download the import window reaches through
// the program's services.

#include "MainWindowTestSupport.h"

#include "datagen/DataGenerator.h"
#include "import/ImportRun.h"
#include "import/frmReadData.h"
#include "info/frmIntReadData.h"
#include "info/frmJyohoList.h"
#include "ui/RecordsetTableModel.h"

#include <optional>

using namespace mainwin_test;

namespace {

using BoardMenuTest = MainWindowTest;

TEST_F(BoardMenuTest, RegisterListAndMoveThroughTheMenu)
{
    addIssue(1301, 1, QStringLiteral("極洋"));
    addIssue(7203, 1, QStringLiteral("トヨタ"));
    addDailyRows(1301, 5, today());
    addDailyRows(7203, 5, today());
    frmMain &w = openWindow();

    w.chartTimer->start();
    for (const char *code : {"7203", "1301"}) {
        w.MeiCode->setText(QString::fromLatin1(code));
        prompt.answerYes();
        w.command(QStringLiteral("mnuKabukaboardAIn"))->trigger();
    }
    EXPECT_TRUE(w.chartTimer->isActive());
    EXPECT_EQ(prompt.questions().first(), u"トヨタ を株価ボードAに登録します　よろしいですか？");
    w.chartTimer->stop();

    w.command(QStringLiteral("mnuKabukaboardAList"))->trigger();
    EXPECT_EQ(listEntries(w.ListMei), QStringList({QStringLiteral("1301 東１ 極洋"), QStringLiteral("7203 東１ トヨタ")}));
    EXPECT_EQ(w.MeiCode->text(), u"1301");

    w.ListMei->setCurrentRow(1);
    prompt.answerYes();
    w.command(QStringLiteral("mnuAtoB"))->trigger();
    EXPECT_EQ(prompt.messages(), QStringList{QStringLiteral("移動しました。")});
    EXPECT_EQ(listEntries(w.ListMei), QStringList{QStringLiteral("1301 東１ 極洋")});
}

// The board menu's keys are the line edit's keys too (Ctrl+A select all, Ctrl+X cut): typed in the
// code box, the menu's command runs and the code stays.
TEST_F(BoardMenuTest, MenuKeysWinInTheCodeBox)
{
    addIssue(7203, 1, QStringLiteral("トヨタ"));
    addDailyRows(7203, 5, today());
    frmMain &w = openWindow();
    w.show();
    w.activateWindow();
    ASSERT_TRUE(waitFor([&] { return w.isActiveWindow(); }));
    w.MeiCode->setFocus();
    typeText(w.MeiCode, QStringLiteral("7203"));
    ASSERT_EQ(QApplication::focusWidget(), w.MeiCode);
    ASSERT_EQ(w.ListMei->currentItem()->text(), QStringLiteral("7203 東１ トヨタ"));
    const auto boardOf = [] {
        db::Database d(MainModule::DBPath);
        return d.scalar(QStringLiteral("select 区分 from board where コード=7203")).toInt();
    };

    prompt.answerYes();
    keyClick(w.MeiCode, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(prompt.questions(), QStringList{QStringLiteral("トヨタ を株価ボードAに登録します　よろしいですか？")});
    EXPECT_EQ(boardOf(), 1);
    EXPECT_FALSE(w.MeiCode->hasSelectedText());

    for (const auto &[key, target] : {std::pair{Qt::Key_X, 2}, std::pair{Qt::Key_Y, 1}}) {
        w.MeiCode->selectAll(); // what a cut would take
        prompt.answerYes();
        keyClick(w.MeiCode, key, Qt::ControlModifier);
        EXPECT_EQ(boardOf(), target);
        EXPECT_EQ(w.MeiCode->text(), QStringLiteral("7203"));
    }
    EXPECT_EQ(prompt.messages(), (QStringList{QStringLiteral("移動しました。"), QStringLiteral("移動しました。")}));
}

using MaintenanceMenuTest = MainWindowTest;

TEST_F(MaintenanceMenuTest, CommandsOpenTheirWindows)
{
    frmMain &w = openWindow();
    const std::pair<const char *, const char *> commands[] = {
        {"mnurestore", "frmBackUp"},
        {"mnukabukatyousa", "frmDatament"},
        {"DMentButton", "frmDatament"},
        {"mnukabukaDeleteEdit", "frmDeleteData"},
        {"DataDelButton", "frmDeleteData"},
        {"kabukanriButton", "frmstockmarket"},
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

TEST_F(MaintenanceMenuTest, InformationSearchListsTheRankingsOfTheShownIssue)
{
    addIssue(1301, 1, QStringLiteral("極洋"));
    {
        db::Database d(MainModule::DBPath);
        d.execute(QStringLiteral("insert into informationClass (種類コード, 種類名, 表示順) values ('d01', '値上がり率', 1)"));
        int rank = 0;
        for (const auto &[code, date] : {std::pair{1301, "2024/06/13"}, {1301, "2024/06/14"}, {1332, "2024/06/14"}})
            d.execute(QStringLiteral("insert into informationData (種類コード, 日付, 順位, コード, Top種類コード) values ('d01', #%1#, %2, %3, 'd')")
                          .arg(QLatin1String(date))
                          .arg(++rank)
                          .arg(code));
    }
    frmMain &w = openWindow();
    w.MeiCode->setText(QStringLiteral("1301"));
    int rows = -1;
    QStringList dates;
    onNextModal([&](QWidget *modal) {
        auto *list = qobject_cast<frmJyohoList *>(modal);
        if (!list)
            return;
        RecordsetTableModel *model = list->DatainformationData;
        rows = model->rowCount();
        for (int column = 0; column < model->columnCount(); ++column) {
            if (model->headerData(column, Qt::Horizontal).toString() != QStringLiteral("日付"))
                continue;
            for (int row = 0; row < rows; ++row)
                dates.append(model->index(row, column).data().toString());
        }
    });
    w.command(QStringLiteral("mnuJyohouList"))->trigger();
    EXPECT_EQ(rows, 2);
    dates.sort();
    EXPECT_EQ(dates, (QStringList{QStringLiteral("24/06/13"), QStringLiteral("24/06/14")})) << "dates as every window shows them";
}

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

// The program's services lead the import window's conversion to the registration download, which
// opens over it before the conversion; the registration import then tells its own outcome.
TEST_F(ReportBackTest, ConversionFetchesTheRegistrationThroughTheProgramsServices)
{
    connectServices(services);
    frmReadData import(services, importer::ImportMode::Prices);
    import.show();
    std::optional<importer::ImportMode> downloadMode;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (auto *download = qobject_cast<frmIntReadData *>(QApplication::activeModalWidget())) {
            downloadMode = download->mode();
            download->close();
        }
    });
    watch.start(10);
    prompt.answerYes();
    import.CmdFileConvert->click();
    EXPECT_EQ(downloadMode, importer::ImportMode::BeforeConversion);
    ASSERT_FALSE(prompt.messages().isEmpty());
    EXPECT_EQ(prompt.messages().first(), QStringLiteral("銘柄ファイルが見つかりません。"));
    EXPECT_TRUE(import.isVisible());
}

} // namespace
