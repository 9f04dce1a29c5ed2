#pragma once

// "週株価データ作成": builds the weekly rows of a period of calendar weeks (a Monday to a Friday).

#include "import/WeekPeriodWindow.h"

#include <memory>

class QPushButton;

namespace importer {
class LabelProgress;
}

class frmSyuMakeData final : public WeekPeriodWindow
{
    Q_OBJECT

public:
    explicit frmSyuMakeData(AppServices &services, QWidget *parent = nullptr);
    ~frmSyuMakeData() override;

    QPushButton *CmdMakeWeekData;

    bool isBusy() const { return m_busy; }
    // Refused while a build runs.
    void done(int result) override;

private:
    // The stepping buttons do nothing while a build runs.
    bool refusesSteps() const override { return m_busy; }
    void CmdMakeWeekData_Click();

    std::unique_ptr<importer::LabelProgress> m_progress;
    bool m_busy = false;
};
