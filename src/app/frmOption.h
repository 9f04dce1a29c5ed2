#pragma once

// The options window: every main setting, saved whenever the window closes (close box or Esc).

#include "base/OptionValues.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
struct AppServices;

class frmOption final : public QDialog
{
    Q_OBJECT

public:
    explicit frmOption(AppServices &services, QWidget *parent = nullptr);

    // The entries as the controls hold them now.
    OptionEntries entries() const;

    QGroupBox *FrmChartMode;
    QRadioButton *Option1;
    QRadioButton *Option2;
    QLineEdit *slidechart;
    QLabel *Label10;
    QLineEdit *move1;
    QLineEdit *move2;
    QLineEdit *move3;
    QLineEdit *SaicoL;
    QLineEdit *RSIVR;
    QLineEdit *TxtUrl;
    QLineEdit *TxtQUrl;
    QLineEdit *TxtJQuantsKey; // shown masked
    QCheckBox *ChkRDel;
    QLineEdit *sonekipa;
    QLineEdit *TxthidiFold;
    QPushButton *CmdPath;
    QLineEdit *TxtsinyoFold;
    QPushButton *CmdPath2;
    QCheckBox *ChkMakeSyu;
    QComboBox *CmbShinyo;
    QComboBox *CmbDelJyoho;
    QGroupBox *Frame2;
    QRadioButton *Option6;
    QRadioButton *Option7;
    QGroupBox *Frame1;
    QRadioButton *Option3;
    QRadioButton *Option4;
    QRadioButton *Option5;

    // Closing in any way ends here: the entries are repaired, written and read back.
    void done(int result) override;

private:
    void Form_Load();
    void Form_Unload();
    void CmdPath_Click();
    void CmdPath2_Click();
    void showEntries(const OptionEntries &entries);

    AppServices &m_services;
    bool m_saved = false;
};
