#pragma once

// "週株価データ作成": builds the weekly rows of a period of calendar weeks (a Monday to a Friday).

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

class frmSyuMakeData final : public QDialog
{
    Q_OBJECT

public:
    explicit frmSyuMakeData(AppServices &services, QWidget *parent = nullptr);
    ~frmSyuMakeData() override;

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
    QPushButton *CmdMakeWeekData;
    QPushButton *CmdClose;
    QLabel *LabPa;
    QLabel *Label1;

    bool isBusy() const { return m_busy; }
    // Refused while a build runs.
    void done(int result) override;

private:
    void CmdStartDate_Click();
    void CmdEndDate_Click();
    void CmdMakeWeekData_Click();

    AppServices &m_services;
    std::unique_ptr<importer::LabelProgress> m_progress;
    bool m_busy = false;
};
