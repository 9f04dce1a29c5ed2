#include "import/frmSyuMakeData.h"

#include "base/AppServices.h"
#include "base/BusyGuard.h"
#include "base/MainModule.h"
#include "db/DbError.h"
#include "import/ImportWindowParts.h"
#include "import/WeeklyBuilder.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace importer;

frmSyuMakeData::frmSyuMakeData(AppServices &services, QWidget *parent)
    : WeekPeriodWindow(services, "frmSyuMakeData", QStringLiteral("週株価データ作成"), parent)
{
    CmdMakeWeekData = named<QPushButton>("CmdMakeWeekData", QStringLiteral("週データー作成"));

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(LabPa);
    bottom->addWidget(Label1);
    bottom->addStretch();
    bottom->addWidget(CmdMakeWeekData);
    bottom->addWidget(CmdClose);

    m_progress = std::make_unique<LabelProgress>(nullptr, LabPa, true);
    connect(CmdMakeWeekData, &QPushButton::clicked, this, &frmSyuMakeData::CmdMakeWeekData_Click);

    completeWindow(bottom);
}

frmSyuMakeData::~frmSyuMakeData() = default;

void frmSyuMakeData::CmdMakeWeekData_Click()
{
    if (m_busy)
        return;
    const std::optional<WeekPeriod> period = checkedPeriod();
    if (!period)
        return;
    Prompt &prompt = *m_services.prompt;
    QString error;
    {
        // The mark before the question: a second click while it is open does nothing.
        BusyGuard running(m_busy);
        if (!prompt.askYesNo(QStringLiteral("週データーの作成を開始します。"), QStringLiteral("確認")))
            return;
        BusyGuard wait;
        try {
            BuildWeeklyData(period->first, period->last, *m_progress);
        } catch (const db::DbError &e) {
            error = e.description();
        }
    }
    if (error.isEmpty())
        prompt.inform(QStringLiteral("週データーの作成終了しました。"));
    else
        prompt.inform(error, QString(), PromptIcon::Critical);
}

void frmSyuMakeData::done(int result)
{
    if (m_busy)
        return;
    QDialog::done(result);
}
