#pragma once

// "株価ボードA" / "株価ボードB": one board in a grid with its issues' last stored day and, after a
// fetch from the quote site, their current quotes. Issues are added, removed and moved here.

#include <QDialog>

#include <functional>
#include <memory>

class BusyGuard;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class RecordsetTableModel;
struct AppServices;

namespace board {
class QuoteFetch;
struct BoardContext;
} // namespace board

class frmKabukaboard final : public QDialog
{
    Q_OBJECT

public:
    // What the board window asks of the window that opened it.
    struct Hooks
    {
        // The issue's chart in the main window, brought in front of the board window.
        std::function<void(const QString &code)> showChart;
        std::function<void(QWidget *window, QLineEdit *codeBox)> findIssue; // the issue search window
    };

    // kind: 1 board A, 2 board B.
    frmKabukaboard(AppServices &services, int kind, Hooks hooks = {}, QWidget *parent = nullptr);
    ~frmKabukaboard() override;

    board::QuoteFetch *fetch() const { return m_fetch; }

    QLabel *Label1;
    QLineEdit *MeiCode;
    QLabel *Lblshijyo;
    QLabel *LblMei;
    QPushButton *CmdFind;
    QPushButton *CmdfrmboardAdd;
    QPushButton *CmdfrmboardDel;
    QPushButton *Cmdto;
    QPushButton *Cmdselectedchart;
    QPushButton *CmdInet;
    QPushButton *Cmdclear;
    QLabel *Label2;
    QLabel *LblFileName;
    QPushButton *CmdFileclear;
    QLabel *LblboardDate;
    QLabel *LblInt;
    RecordsetTableModel *boardData;
    QTableView *boardDBGrid;

    void done(int result) override;

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void Form_Load();
    void MeiCode_Change();
    bool ValidateCode();
    void CmdfrmboardAdd_Click();
    void CmdfrmboardDel_Click();
    void Cmdto_Click();
    void Cmdselectedchart_Click();
    void CmdFind_Click();
    void CmdInet_Click();
    void Cmdclear_Click();
    void CmdFileclear_Click();
    void Form_Unload();
    void setBusyPointer(bool busy);
    // True when the grid has a current row; else says which row the action needs, e.g. "削除する".
    bool hasCurrentRow(const QString &action);
    // The code of the grid's current row, 0 when there is none.
    qint32 currentCode() const;
    bool fetching() const;
    board::BoardContext context() const;

    AppServices &m_services;
    int m_kind;
    Hooks m_hooks;
    board::QuoteFetch *m_fetch;
    std::unique_ptr<BusyGuard> m_busyPointer; // the wait pointer while a fetch runs
    bool m_unloaded = false;
    int m_gridRightMargin = 0;
    int m_gridBottomMargin = 0;
};
