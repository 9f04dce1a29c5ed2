#pragma once

// "株式売買管理": the user's purchase lots and sales in an editable grid, with the break-even and
// profit of each lot, the totals of the view, the calculator, the CSV export and the import of a
// broker's trade history.

#include "ledger/Ledger.h"

#include <QAbstractItemDelegate>
#include <QDialog>

class QLabel;
class QMenuBar;
class QAction;
class QPushButton;
class QRadioButton;
class QGroupBox;
class QTableView;
class RecordsetTableModel;
struct AppServices;

class frmstockmarket final : public QDialog
{
    Q_OBJECT

public:
    explicit frmstockmarket(AppServices &services, QWidget *parent = nullptr);

    QMenuBar *MenuBar;
    QAction *mnuTradeImport;
    RecordsetTableModel *Datastockmarket;
    QTableView *DBGridstockmarket;
    QGroupBox *Frame1;
    QRadioButton *Option1;
    QRadioButton *Option2;
    QRadioButton *Option3;
    QPushButton *CmdAdd;
    QPushButton *CmdDelete;
    QPushButton *CmdCalc;
    QPushButton *CmdExcel;
    QLabel *Lblcode;
    QLabel *Lblshijyocode;
    QLabel *Lblmeigaramei;
    QLabel *LblTotal;

    // A cell typed in the grid (the delegate hands the text here instead of to the model).
    void DBGridstockmarket_AfterColUpdate(int row, int column, const QString &text);

private:
    void Form_Load();
    void applyView(ledger::View view);
    void reload(qint64 currentId, int column);
    void DBGridstockmarket_RowColChange();
    void DBGridstockmarket_EditorClosed(QWidget *editor, QAbstractItemDelegate::EndEditHint hint);
    void CmdAdd_Click();
    void CmdDelete_Click();
    void CmdCalc_Click();
    void CmdExcel_Click();
    void mnuTradeImport_Click();
    ledger::Context context() const;
    qint64 idOfRow(int row) const;

    AppServices &m_services;
    ledger::View m_view = ledger::View::Unsold;
    bool m_editReloaded = false; // the last typed cell reloaded the grid
};
