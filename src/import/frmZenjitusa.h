#pragma once

// "前日比再計算": recomputes 前日比 and 基準前日比 of the daily or weekly rows from a date onward.

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

class frmZenjitusa final : public QDialog
{
    Q_OBJECT

public:
    explicit frmZenjitusa(AppServices &services, QWidget *parent = nullptr);
    ~frmZenjitusa() override;

    QLabel *Label1;
    QLabel *Label2;
    QLineEdit *txtStartDate;
    QGroupBox *Frame;
    QRadioButton *Option1;
    QRadioButton *Option2;
    QPushButton *CmdSaikeisan;
    QLabel *LabPa;
    QLabel *Label3;

    bool isBusy() const { return m_busy; }
    // Refused while a recalculation runs.
    void done(int result) override;

private:
    void CmdSaikeisan_Click();

    AppServices &m_services;
    std::unique_ptr<importer::LabelProgress> m_progress;
    bool m_busy = false;
};
