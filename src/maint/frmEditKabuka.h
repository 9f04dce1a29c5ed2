#pragma once

// "株価メンテナンス": every price row of one issue (the one shown in the main window), in the current
// period, in a grid bound to the database. An edited cell is written to the table when it is left.

#include "ui/IssueEntry.h"

#include <QDialog>

class QLabel;
class QTableView;
class RecordsetTableModel;
struct AppServices;

class frmEditKabuka final : public QDialog
{
    Q_OBJECT

public:
    frmEditKabuka(AppServices &services, const ui::IssueRef &issue, QWidget *parent = nullptr);

    RecordsetTableModel *kabukaData;
    QLabel *kabukaDataCaption; // the data source's caption: the issue code
    QTableView *kabuDBGrid;
    QLabel *Lblshijyo;
    QLabel *LblMei;

private:
    void Form_Load(const ui::IssueRef &issue);
    AppServices &m_services;
};
