#include "import/frmSyuMakeData.h"

#include "app/AppServices.h"
#include "app/MainModule.h"
#include "db/DbError.h"
#include "import/ImportWindowParts.h"
#include "import/WeeklyBuilder.h"

#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

using namespace importer;

frmSyuMakeData::frmSyuMakeData(AppServices &services, QWidget *parent) : QDialog(parent), m_services(services)
{
    setObjectName(QStringLiteral("frmSyuMakeData"));
    setWindowTitle(QStringLiteral("週株価データ作成"));
    setModal(true);

    Label2 = named<QLabel>("Label2", QStringLiteral("期間日付　自"));
    ReadDateji = named<QLineEdit>("ReadDateji");
    LabReadDateji = named<QLabel>("LabReadDateji");
    Lbl3 = named<QLabel>("Lbl3", QStringLiteral("～　至"));
    ReadDateitaru = named<QLineEdit>("ReadDateitaru");
    LabReadDateitaru = named<QLabel>("LabReadDateitaru");
    Frame1 = named<QGroupBox>("Frame1");
    Option1 = named<QRadioButton>("Option1", QStringLiteral("←"));
    Option2 = named<QRadioButton>("Option2", QStringLiteral("→"));
    CmdStartDate = named<QPushButton>("CmdStartDate", QStringLiteral("月曜日付"));
    CmdEndDate = named<QPushButton>("CmdEndDate", QStringLiteral("金曜日付"));
    CmdMakeWeekData = named<QPushButton>("CmdMakeWeekData", QStringLiteral("週データー作成"));
    CmdClose = named<QPushButton>("CmdClose", QStringLiteral("キャンセル"));
    LabPa = named<QLabel>("LabPa");
    Label1 = named<QLabel>("Label1", QStringLiteral("%"));

    Option1->setChecked(true);
    auto *direction = new QHBoxLayout(Frame1);
    direction->addWidget(Option1);
    direction->addWidget(Option2);
    for (QLineEdit *e : {ReadDateji, ReadDateitaru})
        e->setFixedWidth(90);
    for (QLabel *l : {LabReadDateji, LabReadDateitaru})
        l->setMinimumWidth(60);
    LabPa->setMinimumWidth(30);
    LabPa->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto *dates = new QGridLayout;
    dates->addWidget(Label2, 0, 0);
    dates->addWidget(ReadDateji, 0, 1);
    dates->addWidget(LabReadDateji, 0, 2);
    dates->addWidget(CmdStartDate, 0, 3);
    dates->addWidget(Lbl3, 1, 0, Qt::AlignRight);
    dates->addWidget(ReadDateitaru, 1, 1);
    dates->addWidget(LabReadDateitaru, 1, 2);
    dates->addWidget(CmdEndDate, 1, 3);
    dates->addWidget(Frame1, 0, 4, 2, 1);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(LabPa);
    bottom->addWidget(Label1);
    bottom->addStretch();
    bottom->addWidget(CmdMakeWeekData);
    bottom->addWidget(CmdClose);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(dates);
    layout->addLayout(bottom);

    SetUpDateBox(ReadDateji, LabReadDateji, m_services.clock);
    SetUpDateBox(ReadDateitaru, LabReadDateitaru, m_services.clock);
    m_progress = std::make_unique<LabelProgress>(nullptr, LabPa, true);

    connect(CmdStartDate, &QPushButton::clicked, this, &frmSyuMakeData::CmdStartDate_Click);
    connect(CmdEndDate, &QPushButton::clicked, this, &frmSyuMakeData::CmdEndDate_Click);
    connect(CmdMakeWeekData, &QPushButton::clicked, this, &frmSyuMakeData::CmdMakeWeekData_Click);
    connect(CmdClose, &QPushButton::clicked, this, [this] { reject(); });

    ShowOpeningWeekPeriod(ReadDateji, ReadDateitaru, m_services.prompt, m_services.clock);
}

frmSyuMakeData::~frmSyuMakeData() = default;

void frmSyuMakeData::CmdStartDate_Click()
{
    if (m_busy)
        return;
    StepWeekBox(*m_services.prompt, ReadDateji, false, Option2->isChecked(), m_services.clock);
}

void frmSyuMakeData::CmdEndDate_Click()
{
    if (m_busy)
        return;
    StepWeekBox(*m_services.prompt, ReadDateitaru, true, Option2->isChecked(), m_services.clock);
}

void frmSyuMakeData::CmdMakeWeekData_Click()
{
    if (m_busy)
        return;
    Prompt &prompt = *m_services.prompt;
    const CheckedRange range = CheckRange(ReadDateji->text(), ReadDateitaru->text(), TodayOf(m_services.clock), true);
    if (range.check != RangeCheck::Ok) {
        ShowRangeProblem(prompt, range.check, ReadDateji, ReadDateitaru);
        return;
    }
    // The mark before the question: a second click while it is open does nothing.
    m_busy = true;
    if (!prompt.askYesNo(QStringLiteral("週データーの作成を開始します。"), QStringLiteral("確認"))) {
        m_busy = false;
        return;
    }
    QString error;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        BuildWeeklyData(range.first, range.last, *m_progress);
    } catch (const db::DbError &e) {
        error = e.description();
    }
    QApplication::restoreOverrideCursor();
    m_busy = false;
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
