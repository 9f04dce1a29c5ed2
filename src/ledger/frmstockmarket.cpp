#include "ledger/frmstockmarket.h"

#include "base/AppServices.h"
#include "base/MainModule.h"
#include "base/Ports.h"
#include "db/Database.h"
#include "ledger/TradeImport.h"
#include "ui/RecordsetTableModel.h"
#include "ui/WindowHelpers.h"

#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMetaProperty>
#include <QPushButton>
#include <QRadioButton>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>

#include <utility>

namespace {

// Hands what was typed into a cell to the window, which cleans and recomputes the whole row.
class LedgerCellDelegate final : public QStyledItemDelegate
{
public:
    explicit LedgerCellDelegate(frmstockmarket *window)
        : QStyledItemDelegate(window), m_window(window) { }
    void setModelData(QWidget *editor, QAbstractItemModel *, const QModelIndex &index) const override
    {
        const QByteArray property = editor->metaObject()->userProperty().name();
        m_window->DBGridstockmarket_AfterColUpdate(index.row(), index.column(), editor->property(property).toString());
    }

private:
    frmstockmarket *m_window;
};

} // namespace

frmstockmarket::frmstockmarket(AppServices &services, QWidget *parent)
    : QDialog(parent), m_services(services)
{
    setObjectName(QStringLiteral("frmstockmarket"));
    setWindowTitle(QStringLiteral("株式売買管理"));
    setModal(true);

    MenuBar = named<QMenuBar>("MenuBar");
    QMenu *file = MenuBar->addMenu(QStringLiteral("ﾌｧｲﾙ"));
    mnuTradeImport = file->addAction(QStringLiteral("取引履歴の取込..."));
    mnuTradeImport->setObjectName(QStringLiteral("mnuTradeImport"));

    Datastockmarket = new RecordsetTableModel(m_services.prompt, this);
    Datastockmarket->setObjectName(QStringLiteral("Datastockmarket"));
    Datastockmarket->setKeyFields({QStringLiteral("ID")});
    DBGridstockmarket = named<QTableView>("DBGridstockmarket");
    DBGridstockmarket->setModel(Datastockmarket);
    auto *cells = new LedgerCellDelegate(this);
    DBGridstockmarket->setItemDelegate(cells);
    DBGridstockmarket->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGridstockmarket->verticalHeader()->setDefaultSectionSize(20);
    DBGridstockmarket->setMinimumSize(900, 300);

    Frame1 = named<QGroupBox>("Frame1");
    Option1 = named<QRadioButton>("Option1", QStringLiteral("未売却"));
    Option2 = named<QRadioButton>("Option2", QStringLiteral("売却"));
    Option3 = named<QRadioButton>("Option3", QStringLiteral("すべて"));
    auto *options = new QHBoxLayout(Frame1);
    for (QRadioButton *o : {Option1, Option2, Option3})
        options->addWidget(o);
    CmdAdd = named<QPushButton>("CmdAdd", QStringLiteral("新規行"));
    CmdDelete = named<QPushButton>("CmdDelete", QStringLiteral("削　　除"));
    CmdCalc = named<QPushButton>("CmdCalc", QStringLiteral("計算機"));
    CmdExcel = named<QPushButton>("CmdExcel", QStringLiteral("Excelへ出力"));
    Lblcode = named<QLabel>("Lblcode");
    Lblshijyocode = named<QLabel>("Lblshijyocode");
    Lblmeigaramei = named<QLabel>("Lblmeigaramei");
    LblTotal = named<QLabel>("LblTotal");
    for (QLabel *l : {Lblcode, Lblshijyocode})
        l->setMinimumWidth(48);
    Lblmeigaramei->setMinimumWidth(200);

    auto *top = new QHBoxLayout;
    top->addWidget(Frame1);
    top->addSpacing(16);
    top->addWidget(Lblcode);
    top->addWidget(Lblshijyocode);
    top->addWidget(Lblmeigaramei);
    top->addStretch();

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(LblTotal);
    buttons->addStretch();
    for (QPushButton *b : {CmdAdd, CmdDelete, CmdCalc, CmdExcel})
        buttons->addWidget(b);

    auto *layout = new QVBoxLayout(this);
    layout->setMenuBar(MenuBar);
    layout->addLayout(top);
    layout->addWidget(DBGridstockmarket, 1);
    layout->addLayout(buttons);

    connect(Option1, &QRadioButton::clicked, this, [this] { applyView(ledger::View::Unsold); });
    connect(Option2, &QRadioButton::clicked, this, [this] { applyView(ledger::View::Sold); });
    connect(Option3, &QRadioButton::clicked, this, [this] { applyView(ledger::View::All); });
    connect(CmdAdd, &QPushButton::clicked, this, &frmstockmarket::CmdAdd_Click);
    connect(CmdDelete, &QPushButton::clicked, this, &frmstockmarket::CmdDelete_Click);
    connect(CmdCalc, &QPushButton::clicked, this, &frmstockmarket::CmdCalc_Click);
    connect(CmdExcel, &QPushButton::clicked, this, &frmstockmarket::CmdExcel_Click);
    connect(mnuTradeImport, &QAction::triggered, this, &frmstockmarket::mnuTradeImport_Click);
    connect(DBGridstockmarket->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &frmstockmarket::DBGridstockmarket_RowColChange);
    connect(cells, &QAbstractItemDelegate::closeEditor, this, &frmstockmarket::DBGridstockmarket_EditorClosed);

    Form_Load();
}

ledger::Context frmstockmarket::context() const
{
    const QDate today = m_services.clock ? m_services.clock->today() : QDate::currentDate();
    return ledger::Context{MainModule::DBPath, *m_services.prompt, MainModule::SonPa, today};
}

void frmstockmarket::Form_Load()
{
    try {
        ledger::RefreshLots(context());
    } catch (const db::DbError &e) {
        m_services.prompt->inform(e.description(), QString(), PromptIcon::Critical);
    }
    Option1->setChecked(true);
    applyView(ledger::View::Unsold);
}

void frmstockmarket::applyView(ledger::View view)
{
    m_view = view;
    Datastockmarket->setRecordSource(MainModule::DBPath, ledger::SourceOf(view));
    Datastockmarket->setFieldHidden(QStringLiteral("ID"), true);
    reload(0, 0);
}

qint64 frmstockmarket::idOfRow(int row) const
{
    return row < 0 ? 0 : Datastockmarket->rawValue(row, QStringLiteral("ID")).toLongLong();
}

void frmstockmarket::reload(qint64 currentId, int column)
{
    Datastockmarket->refresh();
    DBGridstockmarket->resizeColumnsToContents();
    int row = 0;
    for (int r = 0; r < Datastockmarket->rowCount(); ++r) {
        if (idOfRow(r) == currentId)
            row = r;
    }
    if (Datastockmarket->rowCount() > 0)
        DBGridstockmarket->setCurrentIndex(Datastockmarket->index(row, column));
    DBGridstockmarket_RowColChange();
    std::vector<ledger::Lot> lots;
    try {
        lots = ledger::ReadLots(MainModule::DBPath, m_view);
    } catch (const db::DbError &) {
        // the grid has already reported the engine's message
    }
    LblTotal->setText(ledger::TotalsText(ledger::TotalsOf(lots)));
}

void frmstockmarket::DBGridstockmarket_RowColChange()
{
    const int row = DBGridstockmarket->currentIndex().row();
    const bool has = row >= 0 && row < Datastockmarket->rowCount();
    Lblcode->setText(has ? Datastockmarket->data(Datastockmarket->index(row, ledger::ColCode)).toString() : QString());
    Lblshijyocode->setText(has ? Datastockmarket->data(Datastockmarket->index(row, ledger::ColMarket)).toString() : QString());
    Lblmeigaramei->setText(has ? Datastockmarket->data(Datastockmarket->index(row, ledger::ColName)).toString() : QString());
}

void frmstockmarket::DBGridstockmarket_AfterColUpdate(int row, int column, const QString &text)
{
    m_editReloaded = false;
    const qint64 id = idOfRow(row);
    if (id == 0)
        return;
    ledger::ChangeCell(context(), id, column, text);
    reload(id, column);
    m_editReloaded = true;
}

void frmstockmarket::DBGridstockmarket_EditorClosed(QWidget *, QAbstractItemDelegate::EndEditHint hint)
{
    // The reload after a typed cell took the grid's editor away, so the grid no longer moves on
    // Tab and Shift+Tab by itself: move to the next or previous cell and edit it here.
    if (!std::exchange(m_editReloaded, false))
        return;
    if (hint != QAbstractItemDelegate::EditNextItem && hint != QAbstractItemDelegate::EditPreviousItem)
        return;
    const QModelIndex current = DBGridstockmarket->currentIndex();
    if (!current.isValid())
        return;
    const int columns = Datastockmarket->columnCount();
    int row = current.row();
    int column = current.column() + (hint == QAbstractItemDelegate::EditNextItem ? 1 : -1);
    if (column >= columns) {
        column = 0;
        ++row;
    } else if (column < 0) {
        column = columns - 1;
        --row;
    }
    if (row < 0 || row >= Datastockmarket->rowCount())
        return;
    const QModelIndex next = Datastockmarket->index(row, column);
    DBGridstockmarket->setCurrentIndex(next);
    DBGridstockmarket->edit(next);
}

void frmstockmarket::CmdAdd_Click()
{
    try {
        const qint64 id = ledger::AddLot(context(), 0, context().today, 0, 0);
        reload(id, ledger::ColCode);
        DBGridstockmarket->edit(DBGridstockmarket->currentIndex());
    } catch (const db::DbError &e) {
        m_services.prompt->inform(e.description(), QString(), PromptIcon::Critical);
    }
}

void frmstockmarket::CmdDelete_Click()
{
    const int row = DBGridstockmarket->currentIndex().row();
    const QString code = row < 0 ? QString() : Datastockmarket->data(Datastockmarket->index(row, ledger::ColCode)).toString();
    if (code.isEmpty())
        return;
    if (!m_services.prompt->askYesNo(
            QStringLiteral("コード=%1 銘柄を売買管理ボードから削除しますよろしいですか？").arg(code), QStringLiteral("確認")))
        return;
    try {
        db::Database database(MainModule::DBPath);
        database.execute(QStringLiteral("delete * from stockmarket where ID=? ;"), {idOfRow(row)});
        database.close();
    } catch (const db::DbError &e) {
        m_services.prompt->inform(e.description(), QString(), PromptIcon::Critical);
    }
    reload(idOfRow(row > 0 ? row - 1 : row + 1), 0);
}

void frmstockmarket::CmdCalc_Click()
{
    const QString program = ledger::CalculatorProgram();
    if (program.isEmpty() || !m_services.shell || !m_services.shell->start(program, {}, QString()))
        m_services.prompt->inform(QStringLiteral("計算機が見つかりません。"));
}

void frmstockmarket::CmdExcel_Click()
{
    const QString path = ledger::StockCsvPath();
    try {
        QString error;
        if (!ledger::ExportLedger(MainModule::DBPath, path, &error)) {
            m_services.prompt->inform(error, QString(), PromptIcon::Critical);
            return;
        }
    } catch (const db::DbError &e) {
        m_services.prompt->inform(e.description(), QString(), PromptIcon::Critical);
        return;
    }
    // Without a program for CSV files the user still learns where the file is.
    if (!m_services.shell || !m_services.shell->open(path))
        m_services.prompt->inform(QDir::toNativeSeparators(path)
                                  + QStringLiteral(" に出力しました。\nCSVファイルを開くプログラムが見つかりません。"));
}

void frmstockmarket::mnuTradeImport_Click()
{
    const QString path = m_services.prompt->pickOpenFile(
        QStringLiteral("取引履歴(*.csv)|*.csv;*.CSV;*.txt;*.TXT|すべてのﾌｧｲﾙ(*.*)|*.*"), MainModule::dataFolder());
    if (path.isEmpty())
        return;
    const ledger::ImportReport report = ledger::ImportTrades(context(), path);
    applyView(m_view);
    if (!report.readable)
        m_services.prompt->inform(report.skipped.join(QLatin1Char('\n')), QString(), PromptIcon::Critical);
    else if (!report.stored)
        m_services.prompt->inform(report.failure, QString(), PromptIcon::Critical);
    else if (!report.failure.isEmpty())
        m_services.prompt->inform(report.summary() + QLatin1Char('\n') + report.failure, QString(), PromptIcon::Critical);
    else
        m_services.prompt->inform(report.summary());
}
