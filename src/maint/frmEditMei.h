#pragma once

// "銘柄ﾒﾝﾃﾅﾝｽ": the whole issue table in a grid bound to the database; an edited cell is written to
// the table when it is left.

#include <QDialog>

class QLabel;
class QTableView;
class RecordsetTableModel;
struct AppServices;

class frmEditMei final : public QDialog
{
    Q_OBJECT

public:
    explicit frmEditMei(AppServices &services, QWidget *parent = nullptr);

    RecordsetTableModel *MeiData;
    QTableView *MeiDBGrid;
    QLabel *Label1;
    QLabel *Label2;
};
