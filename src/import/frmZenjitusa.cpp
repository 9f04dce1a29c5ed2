#include "import/frmZenjitusa.h"

#include "base/AppServices.h"
#include "base/BusyGuard.h"
#include "base/DateUtil.h"
#include "db/DbError.h"
#include "import/ChangeRecalc.h"
#include "import/ImportWindowParts.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

using namespace importer;

frmZenjitusa::frmZenjitusa(AppServices &services, QWidget *parent)
    : QDialog(parent), m_services(services)
{
    setObjectName(QStringLiteral("frmZenjitusa"));
    setWindowTitle(QStringLiteral("前日比再計算"));
    setModal(true);

    Label1 = named<QLabel>("Label1", QStringLiteral("前日比の再計算を行います。"));
    Label2 = named<QLabel>("Label2", QStringLiteral("再計算基準日"));
    txtStartDate = named<QLineEdit>("txtStartDate");
    Frame = named<QGroupBox>("Frame");
    Option1 = named<QRadioButton>("Option1", QStringLiteral("日データー"));
    Option2 = named<QRadioButton>("Option2", QStringLiteral("週データー"));
    CmdSaikeisan = named<QPushButton>("CmdSaikeisan", QStringLiteral("前日比再計算"));
    LabPa = named<QLabel>("LabPa");
    Label3 = named<QLabel>("Label3", QStringLiteral("%"));

    Option1->setChecked(true);
    auto *tables = new QHBoxLayout(Frame);
    tables->addWidget(Option1);
    tables->addWidget(Option2);
    txtStartDate->setFixedWidth(90);
    LabPa->setMinimumWidth(30);
    LabPa->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto *dateRow = new QHBoxLayout;
    dateRow->addWidget(Label2);
    dateRow->addWidget(txtStartDate);
    dateRow->addStretch();

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(LabPa);
    bottom->addWidget(Label3);
    bottom->addStretch();
    bottom->addWidget(CmdSaikeisan);

    setMinimumWidth(300);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addLayout(dateRow);
    layout->addWidget(Frame);
    layout->addLayout(bottom);

    SetUpDateBox(txtStartDate, nullptr, m_services.clock);
    m_progress = std::make_unique<LabelProgress>(nullptr, LabPa, true);
    connect(CmdSaikeisan, &QPushButton::clicked, this, &frmZenjitusa::CmdSaikeisan_Click);

    txtStartDate->setText(DateUtil::formatYYMMDD(TodayOf(m_services.clock).addMonths(-1)));
}

frmZenjitusa::~frmZenjitusa() = default;

void frmZenjitusa::CmdSaikeisan_Click()
{
    if (m_busy)
        return;
    Prompt &prompt = *m_services.prompt;
    const QDate start = ParseBoxDate(txtStartDate->text(), TodayOf(m_services.clock));
    if (!start.isValid()) {
        prompt.inform(WrongDateMessage());
        txtStartDate->setFocus();
        return;
    }
    QString error;
    {
        // The mark before the question: a second click while it is open does nothing.
        BusyGuard running(m_busy);
        if (!prompt.askYesNo(QStringLiteral("前日差再計算を開始します。"), QStringLiteral("確認")))
            return;
        const QString table = Option1->isChecked() ? QStringLiteral("daydata") : QStringLiteral("weekdata");
        BusyGuard wait;
        try {
            RecalculateChanges(table, start, *m_progress);
        } catch (const db::DbError &e) {
            error = e.description();
        }
    }
    if (error.isEmpty())
        prompt.inform(QStringLiteral("前日差再計算終了しました。"));
    else
        prompt.inform(error, QString(), PromptIcon::Critical);
}

void frmZenjitusa::done(int result)
{
    if (m_busy)
        return;
    QDialog::done(result);
}
