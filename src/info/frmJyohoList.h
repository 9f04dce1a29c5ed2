#pragma once

// "情報リスト": every ranking that holds one issue, by date or by kind, for all kinds or one.

#include "info/InfoSearch.h"

#include <QDialog>

#include <optional>

class QComboBox;
class QPushButton;
class QTableView;
class RecordsetTableModel;
struct AppServices;

class frmJyohoList final : public QDialog
{
    Q_OBJECT

public:
    // Without a code (the code box held no number) the window stays empty.
    frmJyohoList(AppServices &services, std::optional<qint64> code, QWidget *parent = nullptr);

    QComboBox *CmbJyhoList0; // kind names shown to the user
    QComboBox *CmbJyhoList1; // the matching kind codes (hidden)
    QTableView *DBGridinformationData;
    RecordsetTableModel *DatainformationData;
    QPushButton *CmdHijyun;
    QPushButton *CmdKoumokuJyun;

private:
    void Form_Load(std::optional<qint64> code);
    void CmbJyhoList_Click(int index);
    void setOrder(info::SearchOrder order);
    void showQuery();

    AppServices &m_services;
    qint64 m_code = -1;
    info::SearchOrder m_order = info::SearchOrder::ByDate;
    bool m_loading = false;
};
