#include "import/WeekPeriodWindow.h"

#include "base/AppServices.h"
#include "import/ImportWindowParts.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

using namespace importer;

WeekPeriodWindow::WeekPeriodWindow(AppServices &services, const char *objectName, const QString &title,
                                   QWidget *parent)
    : QDialog(parent), m_services(services)
{
    setObjectName(QString::fromLatin1(objectName));
    setWindowTitle(title);
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

    m_dates = new QGridLayout;
    m_dates->addWidget(Label2, 0, 0);
    m_dates->addWidget(ReadDateji, 0, 1);
    m_dates->addWidget(LabReadDateji, 0, 2);
    m_dates->addWidget(CmdStartDate, 0, 3);
    m_dates->addWidget(Lbl3, 1, 0, Qt::AlignRight);
    m_dates->addWidget(ReadDateitaru, 1, 1);
    m_dates->addWidget(LabReadDateitaru, 1, 2);
    m_dates->addWidget(CmdEndDate, 1, 3);
    m_dates->addWidget(Frame1, 0, 4, 2, 1);
}

WeekPeriodWindow::~WeekPeriodWindow() = default;

void WeekPeriodWindow::completeWindow(QHBoxLayout *bottom)
{
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(m_dates);
    layout->addLayout(bottom);

    SetUpDateBox(ReadDateji, LabReadDateji, m_services.clock);
    SetUpDateBox(ReadDateitaru, LabReadDateitaru, m_services.clock);

    connect(CmdStartDate, &QPushButton::clicked, this, &WeekPeriodWindow::CmdStartDate_Click);
    connect(CmdEndDate, &QPushButton::clicked, this, &WeekPeriodWindow::CmdEndDate_Click);
    connect(CmdClose, &QPushButton::clicked, this, [this] { reject(); });

    ShowOpeningWeekPeriod(ReadDateji, ReadDateitaru, m_services.prompt, m_services.clock);
}

std::optional<WeekPeriod> WeekPeriodWindow::checkedPeriod()
{
    const CheckedRange range = CheckRange(ReadDateji->text(), ReadDateitaru->text(), TodayOf(m_services.clock), true);
    if (range.check != RangeCheck::Ok) {
        ShowRangeProblem(*m_services.prompt, range.check, ReadDateji, ReadDateitaru);
        return std::nullopt;
    }
    return WeekPeriod{range.first, range.last};
}

void WeekPeriodWindow::CmdStartDate_Click()
{
    if (refusesSteps())
        return;
    StepWeekBox(*m_services.prompt, ReadDateji, false, Option2->isChecked(), m_services.clock);
}

void WeekPeriodWindow::CmdEndDate_Click()
{
    if (refusesSteps())
        return;
    StepWeekBox(*m_services.prompt, ReadDateitaru, true, Option2->isChecked(), m_services.clock);
}
