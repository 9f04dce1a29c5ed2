#pragma once

// "ﾃﾞｰﾀｰﾒﾝﾃﾅﾝｽ": bulk deletion of prices and information by date or issue, the change of an issue's
// code or market, and clearing everything.

#include "maint/MaintWindowParts.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
struct AppServices;

class frmDeleteData final : public QDialog
{
    Q_OBJECT

public:
    explicit frmDeleteData(AppServices &services, QWidget *parent = nullptr);

    QLabel *LblMode;
    QLineEdit *TxtDeleteDate;
    QLineEdit *TxtIgoDeleteDate;
    QPushButton *CmdKabukaDate;
    QLineEdit *TxtDeleteJyohoDate;
    QPushButton *CmdKabukaJyohoDate;
    QLineEdit *TxtMeiCodeHi;
    QLineEdit *TxtDeleteDateHi;
    QPushButton *CmdMeiDeleteHi;
    QLineEdit *TxtMeiCode;
    QPushButton *CmdMeiDelete;
    QLineEdit *TxtSMeiCode;
    QLineEdit *TxtShijyoSCode;
    QLineEdit *TxtUMeiCode;
    QLineEdit *TxtShijyoUCode;
    QPushButton *CmdDataUpdate;
    QPushButton *CmdDataAllClear;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    template <typename F>
    void runCommand(F command);

    AppServices &m_services;
    PaintingProgress m_progress;
};
