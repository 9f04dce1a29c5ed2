#pragma once

// "信用データ読込み": reads the margin balance files of a period (a Monday to a Friday).

#include "import/WeekPeriodWindow.h"

#include <memory>

class QLabel;
class QPushButton;

namespace importer {
class LabelProgress;
}

class frmShinyoData final : public WeekPeriodWindow
{
    Q_OBJECT

public:
    explicit frmShinyoData(AppServices &services, QWidget *parent = nullptr);
    ~frmShinyoData() override;

    QPushButton *CmdShinyoReadDate;
    QLabel *LabFileName;

private:
    void CmdShinyoReadDate_Click();

    std::unique_ptr<importer::LabelProgress> m_progress;
    bool m_running = false;
};
