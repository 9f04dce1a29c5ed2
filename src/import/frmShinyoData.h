#pragma once

// "信用データ読込み": reads the margin balance files of a period (a Monday to a Friday).

#include <QDialog>

#include <memory>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
struct AppServices;

namespace importer {
class LabelProgress;
}

class frmShinyoData final : public QDialog
{
    Q_OBJECT

public:
    explicit frmShinyoData(AppServices &services, QWidget *parent = nullptr);
    ~frmShinyoData() override;

    QLabel *Label2;
    QLineEdit *ReadDateji;
    QLabel *LabReadDateji;
    QLabel *Lbl3;
    QLineEdit *ReadDateitaru;
    QLabel *LabReadDateitaru;
    QGroupBox *Frame1;
    QRadioButton *Option1;
    QRadioButton *Option2;
    QPushButton *CmdStartDate;
    QPushButton *CmdEndDate;
    QPushButton *CmdShinyoReadDate;
    QPushButton *CmdClose;
    QLabel *LabFileName;
    QLabel *LabPa;
    QLabel *Label1;

private:
    void CmdStartDate_Click();
    void CmdEndDate_Click();
    void CmdShinyoReadDate_Click();

    AppServices &m_services;
    std::unique_ptr<importer::LabelProgress> m_progress;
    bool m_running = false;
};
