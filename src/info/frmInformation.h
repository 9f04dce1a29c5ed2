#pragma once

// "株式情報": the ranking browser. Pick a kind, then one of its dates; narrow the ranking by price and
// volume, rank it by the change to the newest close for one date or the last N dates, send its
// issues to the main window's issue list, delete a date or a kind. Closing offers to delete
// rankings older than the days set in the options.

#include <QDate>
#include <QDialog>

#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class RecordsetTableModel;
struct AppServices;

class frmInformation final : public QDialog
{
    Q_OBJECT

public:
    // showIssues receives the issue list entries of CmdMeiList.
    frmInformation(AppServices &services, std::function<void(const QStringList &)> showIssues,
                   QWidget *parent = nullptr);

    QTableView *DBGridnformationClass;
    QTableView *DBGridinformationDataList;
    QTableView *DBGridinformationData;
    RecordsetTableModel *DatainformationClass;
    RecordsetTableModel *DatainformationDataList;
    RecordsetTableModel *DatainformationData;
    QComboBox *Txten;
    QLineEdit *Txtdekidaka;
    QComboBox *TxtHi;
    QPushButton *CmdFilter;
    QPushButton *CmdGenKabuka;
    QPushButton *CmdHiGenKabuka;
    QPushButton *CmdMeiList;
    QPushButton *CmdDelete;
    QPushButton *CmdinformationClassDel;
    QLabel *LblInfoTitle;
    QLabel *LblComment;
    QLabel *LblKensu;
    QLabel *LalHani;
    QLabel *Lblkeisantyu;
    QLabel *Label5;
    QLabel *Label2;
    QLabel *Label4;

    // The picked kind and date (empty / invalid when none).
    QString currentKind() const;
    QDate currentDate() const;

    void Form_Activate();
    void CmdFilter_Click();
    void CmdGenKabuka_Click();
    void CmdHiGenKabuka_Click();
    void CmdMeiList_Click();
    void CmdDelete_Click();
    void CmdinformationClassDel_Click();
    void showIssueSearch(); // Ctrl+K

    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void Form_Load();
    void Form_Unload();
    void kindChanged();
    void dateChanged();
    void setRanking(const QString &source);
    void setFilterColour(bool narrowed);
    void showCurrentPrices(const QDate &first, const QDate &last);
    bool reportDbError(const std::function<void()> &action);
    static void selectRow(QTableView *grid, int row);

    AppServices &m_services;
    std::function<void(const QStringList &)> m_showIssues;
    QDate m_referenceDate;
    bool m_activated = false;
    bool m_unloaded = false;
};
