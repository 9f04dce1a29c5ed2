// The trade ledger: exact break-even and profit, the row cleaning and split of the grid, valuing
// lots at the newest close, the CSV export, the broker import and the window around them.

#include "importwin/WindowTestSupport.h"

#include "base/TextFile.h"
#include "ledger/Ledger.h"
#include "ledger/TradeImport.h"
#include "ledger/frmstockmarket.h"
#include "ui/RecordsetTableModel.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>

using namespace importwin_test;

namespace {

TEST(LedgerArithmetic, BreakEvenRoundsHalfUpWithAFractionalCostPercentage)
{
    const Currency four = Currency::fromInt(4);
    EXPECT_EQ(ledger::BreakEven(1000, four), 1040);
    EXPECT_EQ(ledger::BreakEven(333, four), 346); // 346.32
    EXPECT_EQ(ledger::BreakEven(12, four), 12); // 12.48
    EXPECT_EQ(ledger::BreakEven(25, Currency::fromInt(2)), 26); // 25.5 exactly: half goes up
    // 2.5 % of 101 is 103.525: exact fixed point, no binary fraction drift.
    EXPECT_EQ(ledger::BreakEven(101, Currency::fromText(QStringLiteral("2.5"))), 104);
    EXPECT_EQ(ledger::BreakEven(2000000000, four), 2080000000);
}

TEST(LedgerArithmetic, ProfitBeyondThirtyTwoBitsIsReportedNotWrapped)
{
    EXPECT_EQ(ledger::Profit(560, 520, 1000), 40000);
    EXPECT_EQ(ledger::Profit(500, 520, 1000), -20000);
    EXPECT_EQ(ledger::Profit(2147483647, 0, 1), 2147483647);
    EXPECT_FALSE(ledger::Profit(3000000, 0, 1000).has_value());
    EXPECT_FALSE(ledger::Profit(0, 3000000, 1000).has_value());
}

class LedgerTest : public WindowFixture
{
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        MainModule::SonPa = Currency::fromInt(4);
        addIssue(1301, 1, QStringLiteral("極洋"), true);
        execute(QStringLiteral("update Mei set 株価単位=10 where コード=1301"));
        addIssue(7203, 2, QStringLiteral("ﾄﾖﾀ自動車"), true);
    }
    ledger::Context context() { return {MainModule::DBPath, prompt, MainModule::SonPa, clock.today()}; }
    ledger::Lot lot(qint64 id)
    {
        for (const auto &l : ledger::ReadLots(MainModule::DBPath, ledger::View::All)) {
            if (l.id == id)
                return l;
        }
        ADD_FAILURE() << "no lot " << id;
        return {};
    }
    qint64 addLot(qint64 code, int price, int shares)
    {
        return ledger::AddLot(context(), code, QDate(2000, 7, 3), price, shares);
    }
};

TEST_F(LedgerTest, CellChangesCleanTheRowLookUpTheIssueAndSplitAPartialSale)
{
    const qint64 id = addLot(1301, 500, 1000);
    execute(QStringLiteral("update stockmarket set 現在額=560 where ID=%1").arg(id));

    ASSERT_TRUE(ledger::ChangeCell(context(), id, ledger::ColBuyShares, QStringLiteral("1000")));
    EXPECT_EQ(lot(id).breakEven, 520);
    EXPECT_EQ(lot(id).profit, 40000);
    EXPECT_EQ(lot(id).name, QStringLiteral("極洋"));

    // Letters in the purchase price store 0 and the break-even follows; a bad date becomes today.
    ASSERT_TRUE(ledger::ChangeCell(context(), id, ledger::ColBuyPrice, QStringLiteral("abc")));
    EXPECT_EQ(lot(id).buyPrice, 0);
    EXPECT_EQ(lot(id).breakEven, 0);
    ASSERT_TRUE(ledger::ChangeCell(context(), id, ledger::ColBuyDate, QStringLiteral("31/02/99")));
    EXPECT_EQ(lot(id).buyDate, QStringLiteral("00/07/19"));
    ASSERT_TRUE(ledger::ChangeCell(context(), id, ledger::ColBuyPrice, QStringLiteral("500")));

    // Selling 400 of 1000: No leaves one lot; Yes makes it 400/400 and adds an unsold lot of 600.
    prompt.answerNo();
    ASSERT_TRUE(ledger::ChangeCell(context(), id, ledger::ColSellShares, QStringLiteral("400")));
    EXPECT_EQ(count(QStringLiteral("stockmarket")), 1);
    ASSERT_TRUE(ledger::ChangeCell(context(), id, ledger::ColSellDate, QStringLiteral("00/07/18")));
    prompt.answerYes();
    ASSERT_TRUE(ledger::ChangeCell(context(), id, ledger::ColSellPrice, QStringLiteral("600")));
    EXPECT_EQ(prompt.questions(),
              QStringList(2, QStringLiteral("600株 購入数が売却数より多いです 600株 の新規行を作成します　よろしいですか？")));
    const ledger::Lot sold = lot(id);
    EXPECT_EQ(sold.buyShares, 400);
    EXPECT_EQ(sold.sellShares, 400);
    EXPECT_EQ(sold.profit, (600 - 520) * 400);
    const auto unsold = ledger::ReadLots(MainModule::DBPath, ledger::View::Unsold);
    ASSERT_EQ(unsold.size(), 1u);
    EXPECT_EQ(unsold[0].buyShares, 600);
    EXPECT_EQ(unsold[0].buyDate, sold.buyDate);
    EXPECT_EQ(unsold[0].breakEven, 520);
    EXPECT_EQ(unsold[0].sellDate, QStringLiteral("00/00/00"));

    // A number the column cannot hold is refused, not wrapped.
    EXPECT_FALSE(ledger::ChangeCell(context(), id, ledger::ColBuyPrice, QStringLiteral("99999999999999")));
    EXPECT_EQ(prompt.messages().last(), QStringLiteral("オーバーフローしました。"));
    EXPECT_EQ(lot(id).buyPrice, 500);

    // A code that is not registered empties the name.
    ASSERT_TRUE(ledger::ChangeCell(context(), id, ledger::ColCode, QStringLiteral("9999")));
    EXPECT_EQ(lot(id).name, QString());
}

TEST_F(LedgerTest, OpeningValuesUnsoldLotsAtTheNewestCloseAndReportsOverflow)
{
    const qint64 unsold = addLot(1301, 500, 1000);
    const qint64 sold = addLot(1301, 500, 100);
    const qint64 noPrices = addLot(7203, 2000, 100);
    const qint64 huge = addLot(1301, 1, 10000000);
    execute(QStringLiteral("update stockmarket set 売却数=100, 売却額=700, 利益=18000 where ID=%1").arg(sold));
    addDay(1301, QDate(2000, 7, 17), 50);
    addDay(1301, QDate(2000, 7, 18), 56);

    ledger::RefreshLots(context());
    EXPECT_EQ(lot(unsold).current, 560);
    EXPECT_EQ(lot(unsold).profit, 40000);
    EXPECT_EQ(lot(sold).current, 560);
    EXPECT_EQ(lot(sold).profit, 18000);
    EXPECT_EQ(lot(noPrices).current, 0);
    EXPECT_EQ(lot(huge).profit, 0);
    ASSERT_EQ(prompt.messages().size(), 1);
    EXPECT_TRUE(prompt.messages().first().startsWith(QStringLiteral("オーバーフローしました。")));
    EXPECT_TRUE(prompt.messages().first().contains(QStringLiteral("ID %1").arg(huge)));

    const ledger::Totals totals = ledger::TotalsOf(ledger::ReadLots(MainModule::DBPath, ledger::View::All));
    EXPECT_EQ(totals.unrealised, 40000 + 0 + 0);
    EXPECT_EQ(totals.realised, 18000);
}

TEST_F(LedgerTest, ExportWritesCodePage932WithTheHeaderAndAnEmptyLedgerEndsInTwoLineEnds)
{
    const QString path = ledger::StockCsvPath();
    ASSERT_TRUE(ledger::ExportLedger(MainModule::DBPath, path));
    const QByteArray header = TextFile::encode(
        QStringLiteral("コード,市場コード,銘柄,購入日,購入額,購入数,損益分岐点,現在額,売却日,売却額,売却数,利益"));
    EXPECT_EQ(testing_support::readFileBytes(path), header + "\r\n\r\n");

    addLot(7203, 2000, 100);
    ASSERT_TRUE(ledger::ExportLedger(MainModule::DBPath, path));
    EXPECT_EQ(testing_support::readFileBytes(path),
              header + "\r\n" + TextFile::encode(QStringLiteral("7203,2,ﾄﾖﾀ自動車,00/07/03,2000,100,2080,0,00/00/00,0,0,0")) + "\r\n");
}

TEST_F(LedgerTest, ImportMatchesSalesToTheOldestLotsAndReportsUnmatchedLines)
{
    const QString path = folder.filePath(QStringLiteral("trades.csv"));
    testing_support::writeCp932File(path, {QStringLiteral("日付,コード,売買,単価,株数"), QStringLiteral("2000/07/05,1301,買,510,300"), QStringLiteral("2000/07/03,1301,買,500,200"), QStringLiteral("2000/07/10,1301,売,600,400"), QStringLiteral("2000/07/11,7203,売,100,1"), QStringLiteral("2000/07/12,1301,売,600,500")});
    const ledger::ImportReport report = ledger::ImportTrades(context(), path);
    EXPECT_EQ(report.purchases, 2);
    EXPECT_EQ(report.sales, 1);
    ASSERT_EQ(report.skipped.size(), 2);
    EXPECT_TRUE(report.skipped[0].startsWith(QStringLiteral("5行目: 2000/07/11,7203,売,100,1")));
    EXPECT_TRUE(report.skipped[1].startsWith(QStringLiteral("6行目:")));

    // The 7/3 lot (bought later in the file, earlier in time) goes first, then 200 of the 7/5 lot.
    const auto sold = ledger::ReadLots(MainModule::DBPath, ledger::View::Sold);
    ASSERT_EQ(sold.size(), 2u);
    EXPECT_EQ(sold[0].buyDate, QStringLiteral("00/07/05"));
    EXPECT_EQ(sold[0].sellShares, 200);
    EXPECT_EQ(sold[1].buyDate, QStringLiteral("00/07/03"));
    EXPECT_EQ(sold[1].sellShares, 200);
    EXPECT_EQ(sold[1].profit, (600 - 520) * 200);
    const auto open = ledger::ReadLots(MainModule::DBPath, ledger::View::Unsold);
    ASSERT_EQ(open.size(), 1u);
    EXPECT_EQ(open[0].buyShares, 100);
    EXPECT_EQ(open[0].buyPrice, 510);

    // UTF-8 without a byte order mark and English headers in another order.
    testing_support::writeFileBytes(path, QStringLiteral("code,shares,side,date,price\n7203,100,buy,2000-07-14,1500\n").toUtf8());
    EXPECT_EQ(ledger::ImportTrades(context(), path).purchases, 1);
    EXPECT_EQ(lot(ledger::ReadLots(MainModule::DBPath, ledger::View::All).back().id).name, QStringLiteral("ﾄﾖﾀ自動車"));
    testing_support::writeFileBytes(path, QByteArray("a,b\n1,2\n"));
    EXPECT_FALSE(ledger::ImportTrades(context(), path).readable);
}

TEST_F(LedgerTest, WindowShowsTheUnsoldViewWithTotalsAndRecomputesATypedCell)
{
    const qint64 first = addLot(1301, 500, 1000);
    const qint64 second = addLot(7203, 2000, 100);
    execute(QStringLiteral("update stockmarket set 売却数=100, 売却額=2100, 利益=2000 where ID=%1").arg(second));
    addDay(1301, QDate(2000, 7, 18), 56);

    frmstockmarket w(services);
    EXPECT_TRUE(w.Option1->isChecked());
    ASSERT_EQ(w.Datastockmarket->rowCount(), 1);
    EXPECT_EQ(w.Lblmeigaramei->text(), QStringLiteral("極洋"));
    EXPECT_EQ(w.LblTotal->text(), QStringLiteral("含み損益 40,000円　　実現損益 0円"));

    w.DBGridstockmarket_AfterColUpdate(0, ledger::ColBuyPrice, QStringLiteral("600"));
    EXPECT_EQ(lot(first).breakEven, 624);
    EXPECT_EQ(w.LblTotal->text(), QStringLiteral("含み損益 -64,000円　　実現損益 0円"));

    w.Option3->click();
    EXPECT_EQ(w.Datastockmarket->rowCount(), 2);
    EXPECT_EQ(w.LblTotal->text(), QStringLiteral("含み損益 -64,000円　　実現損益 2,000円"));

    w.DBGridstockmarket->setCurrentIndex(w.Datastockmarket->index(1, 0));
    prompt.answerYes();
    w.CmdDelete->click();
    EXPECT_EQ(prompt.questions().last(), QStringLiteral("コード=7203 銘柄を売買管理ボードから削除しますよろしいですか？"));
    EXPECT_EQ(count(QStringLiteral("stockmarket")), 1);

    w.CmdExcel->click();
    EXPECT_EQ(shell.opened, QStringList{ledger::StockCsvPath()});
    EXPECT_EQ(prompt.messages().size(), 0);
    // Without a program for CSV files the user is told where the file went.
    shell.openSucceeds = false;
    QFile::remove(ledger::StockCsvPath());
    w.CmdExcel->click();
    EXPECT_TRUE(QFile::exists(ledger::StockCsvPath()));
    EXPECT_EQ(prompt.messages(), QStringList{QDir::toNativeSeparators(ledger::StockCsvPath()) + QStringLiteral(" に出力しました。\nCSVファイルを開くプログラムが見つかりません。")});
}

TEST_F(LedgerTest, ANewLotIsValuedWhenItsCodeIsTypedAndTabGoesFromCellToCell)
{
    addDay(1301, QDate(2000, 7, 18), 56);
    frmstockmarket w(services);
    w.show();
    w.CmdAdd->click();
    QTableView *grid = w.DBGridstockmarket;
    // Types into the cell being edited and leaves it with the key; false when no cell was edited.
    auto typeAndLeave = [&](int column, const QString &text, int key) {
        auto *editor = qobject_cast<QLineEdit *>(grid->indexWidget(grid->currentIndex()));
        if (!editor || grid->currentIndex().column() != column)
            return false;
        if (!text.isNull())
            editor->setText(text);
        ui_testing::pressKey(editor, key);
        return true;
    };
    ASSERT_TRUE(typeAndLeave(ledger::ColCode, QStringLiteral("1301"), Qt::Key_Tab));
    const qint64 id = w.Datastockmarket->rawValue(0, QStringLiteral("ID")).toLongLong();
    EXPECT_EQ(lot(id).current, 560);
    EXPECT_EQ(lot(id).name, QStringLiteral("極洋"));
    EXPECT_EQ(w.LblTotal->text(), QStringLiteral("含み損益 0円　　実現損益 0円"));

    // Market, name and date as they are, then the price and the shares.
    for (int column = ledger::ColMarket; column <= ledger::ColBuyDate; ++column)
        ASSERT_TRUE(typeAndLeave(column, QString(), Qt::Key_Tab)) << column;
    ASSERT_TRUE(typeAndLeave(ledger::ColBuyPrice, QStringLiteral("500"), Qt::Key_Tab));
    ASSERT_TRUE(typeAndLeave(ledger::ColBuyShares, QStringLiteral("1000"), Qt::Key_Tab));
    EXPECT_EQ(w.LblTotal->text(), QStringLiteral("含み損益 40,000円　　実現損益 0円"));
    // Shift+Tab goes back one cell.
    ASSERT_TRUE(typeAndLeave(ledger::ColBreakEven, QString(), Qt::Key_Backtab));
    EXPECT_EQ(grid->currentIndex().column(), int(ledger::ColBuyShares));
    EXPECT_NE(grid->indexWidget(grid->currentIndex()), nullptr);

    // Another code without daily rows has no price; typing the same code again keeps one typed by hand.
    ASSERT_TRUE(ledger::ChangeCell(context(), id, ledger::ColCode, QStringLiteral("7203")));
    EXPECT_EQ(lot(id).current, 0);
    EXPECT_EQ(lot(id).profit, -520 * 1000);
    ASSERT_TRUE(ledger::ChangeCell(context(), id, ledger::ColCurrent, QStringLiteral("2100")));
    ASSERT_TRUE(ledger::ChangeCell(context(), id, ledger::ColCode, QStringLiteral("7203")));
    EXPECT_EQ(lot(id).current, 2100);
}

TEST_F(LedgerTest, CalculatorIsTheFirstInstalledOneAndNothingStartsWithoutOne)
{
    const QByteArray oldPath = qgetenv("PATH");
    const QString bin = folder.filePath(QStringLiteral("bin"));
    QDir().mkpath(bin);
    for (const QString &name : {QStringLiteral("xcalc"), QStringLiteral("galculator")}) {
        QFile f(bin + QLatin1Char('/') + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
    }
    qputenv("PATH", bin.toLocal8Bit());
    frmstockmarket w(services);
    w.CmdCalc->click();
    EXPECT_EQ(prompt.messages().size(), 0);
    shell.startSucceeds = false; // found, but it would not start
    w.CmdCalc->click();
    qputenv("PATH", folder.filePath(QStringLiteral("nothing")).toLocal8Bit());
    w.CmdCalc->click();
    qputenv("PATH", oldPath);
    EXPECT_EQ(shell.started, QStringList(2, bin + QStringLiteral("/galculator")));
    EXPECT_EQ(prompt.messages(), QStringList(2, QStringLiteral("計算機が見つかりません。")));
}

} // namespace
