#pragma once

// "株価メンテナンス": every price row of the issue shown in the main window, in the current period,
// in a grid bound to the database. An edited cell is written to the table when it is left.

#include <QDialog>

class QLabel;
class QTableView;
class RecordsetTableModel;
struct AppServices;

class frmEditKabuka final : public QDialog
{
    Q_OBJECT

public:
    // Reads "code,market abbreviation,name" from MainTag.
    explicit frmEditKabuka(AppServices &services, QWidget *parent = nullptr);

    RecordsetTableModel *kabukaData;
    QLabel *kabukaDataCaption; // the data source's caption: the issue code
    QTableView *kabuDBGrid;
    QLabel *Lblshijyo;
    QLabel *LblMei;

private:
    void Form_Load();
    AppServices &m_services;
};
