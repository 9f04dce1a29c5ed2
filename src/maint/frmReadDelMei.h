#pragma once

// "エラー銘柄": the issues the last price import did not update, offered for deletion with all
// their data, one by one or all at once.

#include <QDialog>

class QLabel;
class QPushButton;
class QTableView;
class RecordsetTableModel;
struct AppServices;

class frmReadDelMei final : public QDialog
{
    Q_OBJECT

public:
    explicit frmReadDelMei(AppServices &services, QWidget *parent = nullptr);

    QLabel *Label3;
    QLabel *Label4;
    QLabel *Label5;
    QLabel *Label1;
    QLabel *Label2;
    RecordsetTableModel *MeiData;
    QTableView *MeiDBGrid;
    QPushButton *CmdDelete;
    QPushButton *CmdAllDelete;
    QPushButton *Cmdcancel;

private:
    void Form_Load();
    void CmdDelete_Click();
    void CmdAllDelete_Click();
    void reload(int preferredRow);
    int currentRow() const;

    AppServices &m_services;
    bool m_working = false;
};
