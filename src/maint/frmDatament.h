#pragma once

// "ﾃﾞｰﾀｰﾒﾝﾃ": codes with prices but no registration, or a registration but no prices, listed in a
// grid; the selected code's data or registration is deleted.

#include "maint/MaintWindowParts.h"

#include <QDialog>

class QPushButton;
class QTableView;
class RecordsetTableModel;
struct AppServices;

class frmDatament final : public QDialog
{
    Q_OBJECT

public:
    explicit frmDatament(AppServices &services, QWidget *parent = nullptr);

    QPushButton *CmdMake1;
    QPushButton *CmdMake2;
    QPushButton *CmdDelData;
    QPushButton *CmdDelMei;
    QPushButton *CmdMeiRegist;
    RecordsetTableModel *MenteData;
    QTableView *MenteDBGrid;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void Form_Load();
    void compare(bool pricesWithoutRegistration);
    void deleteSelected(bool pricesToo);
    void reload();
    qint64 selectedCode(bool *ok) const;

    AppServices &m_services;
    PaintingProgress m_progress;
};
