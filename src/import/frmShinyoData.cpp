#include "import/frmShinyoData.h"

#include "base/AppServices.h"
#include "base/BusyGuard.h"
#include "base/MainModule.h"
#include "db/DbError.h"
#include "import/ImportWindowParts.h"
#include "import/InputProblems.h"
#include "import/MarginImport.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace importer;

frmShinyoData::frmShinyoData(AppServices &services, QWidget *parent)
    : WeekPeriodWindow(services, "frmShinyoData", QStringLiteral("信用データ読込み"), parent)
{
    CmdShinyoReadDate = named<QPushButton>("CmdShinyoReadDate", QStringLiteral("信用データ読込み"));
    LabFileName = named<QLabel>("LabFileName");

    LabFileName->setMinimumWidth(200);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(LabFileName, 1);
    bottom->addWidget(LabPa);
    bottom->addWidget(Label1);
    bottom->addWidget(CmdShinyoReadDate);
    bottom->addWidget(CmdClose);

    // The margin import does not yield: the window keeps no busy mark and closes at any time.
    m_progress = std::make_unique<LabelProgress>(LabFileName, LabPa, false);
    connect(CmdShinyoReadDate, &QPushButton::clicked, this, &frmShinyoData::CmdShinyoReadDate_Click);

    completeWindow(bottom);
}

frmShinyoData::~frmShinyoData() = default;

void frmShinyoData::CmdShinyoReadDate_Click()
{
    // Nothing yields while the import runs; the flag only keeps a question from being asked twice.
    if (m_running)
        return;
    const std::optional<WeekPeriod> period = checkedPeriod();
    if (!period)
        return;
    Prompt &prompt = *m_services.prompt;
    bool stored = false;
    QString error;
    SkipReport skipped;
    {
        BusyGuard running(m_running);
        if (!prompt.askYesNo(QStringLiteral("信用データーの読込みを開始します。"), QStringLiteral("確認")))
            return;
        BusyGuard wait;
        try {
            stored = ImportMarginBalances(period->first, period->last, MainModule::sinyoPath, *m_progress, &skipped);
        } catch (const db::DbError &e) {
            error = e.description();
        } catch (const InputError &e) {
            error = e.description();
        }
    }
    if (!error.isEmpty()) {
        prompt.inform(error, QString(), PromptIcon::Critical);
    } else if (stored) {
        prompt.inform(QStringLiteral("信用データーの読込み終了しました。"));
    } else {
        prompt.inform(QStringLiteral("信用データーが存在しませんでした。"));
    }
    skipped.showThrough(prompt);
}
