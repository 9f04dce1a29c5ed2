#include "import/frmShinyoData.h"

#include "app/AppServices.h"
#include "app/MainModule.h"
#include "db/DbError.h"
#include "import/ImportWindowParts.h"
#include "import/MarginImport.h"

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

frmShinyoData::frmShinyoData(AppServices &services, QWidget *parent) : QDialog(parent), m_services(services)
{
    setObjectName(QStringLiteral("frmShinyoData"));
    setWindowTitle(QStringLiteral("信用データ読込み"));
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
    CmdShinyoReadDate = named<QPushButton>("CmdShinyoReadDate", QStringLiteral("信用データ読込み"));
    CmdClose = named<QPushButton>("CmdClose", QStringLiteral("キャンセル"));
    LabFileName = named<QLabel>("LabFileName");
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

    LabFileName->setMinimumWidth(200);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(LabFileName, 1);
    bottom->addWidget(LabPa);
    bottom->addWidget(Label1);
    bottom->addWidget(CmdShinyoReadDate);
    bottom->addWidget(CmdClose);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(dates);
    layout->addLayout(bottom);

    SetUpDateBox(ReadDateji, LabReadDateji, m_services.clock);
    SetUpDateBox(ReadDateitaru, LabReadDateitaru, m_services.clock);
    // The margin import does not yield: the window keeps no busy mark and closes at any time.
    m_progress = std::make_unique<LabelProgress>(LabFileName, LabPa, false);

    connect(CmdStartDate, &QPushButton::clicked, this, &frmShinyoData::CmdStartDate_Click);
    connect(CmdEndDate, &QPushButton::clicked, this, &frmShinyoData::CmdEndDate_Click);
    connect(CmdShinyoReadDate, &QPushButton::clicked, this, &frmShinyoData::CmdShinyoReadDate_Click);
    connect(CmdClose, &QPushButton::clicked, this, [this] { reject(); });

    ShowOpeningWeekPeriod(ReadDateji, ReadDateitaru, m_services.prompt, m_services.clock);
}

frmShinyoData::~frmShinyoData() = default;

void frmShinyoData::CmdStartDate_Click()
{
    StepWeekBox(*m_services.prompt, ReadDateji, false, Option2->isChecked(), m_services.clock);
}

void frmShinyoData::CmdEndDate_Click()
{
    StepWeekBox(*m_services.prompt, ReadDateitaru, true, Option2->isChecked(), m_services.clock);
}

void frmShinyoData::CmdShinyoReadDate_Click()
{
    // Nothing yields while the import runs; the flag only keeps a question from being asked twice.
    if (m_running)
        return;
    Prompt &prompt = *m_services.prompt;
    const CheckedRange range = CheckRange(ReadDateji->text(), ReadDateitaru->text(), TodayOf(m_services.clock), true);
    if (range.check != RangeCheck::Ok) {
        ShowRangeProblem(prompt, range.check, ReadDateji, ReadDateitaru);
        return;
    }
    m_running = true;
    if (!prompt.askYesNo(QStringLiteral("信用データーの読込みを開始します。"), QStringLiteral("確認"))) {
        m_running = false;
        return;
    }
    bool stored = false;
    QString error;
    SkipReport skipped;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        stored = ImportMarginBalances(range.first, range.last, MainModule::sinyoPath, *m_progress, &skipped);
    } catch (const db::DbError &e) {
        error = e.description();
    } catch (const InputError &e) {
        error = e.description();
    }
    QApplication::restoreOverrideCursor();
    m_running = false;
    if (!error.isEmpty()) {
        prompt.inform(error, QString(), PromptIcon::Critical);
    } else if (stored) {
        prompt.inform(QStringLiteral("信用データーの読込み終了しました。"));
    } else {
        prompt.inform(QStringLiteral("信用データーが存在しませんでした。"));
    }
    skipped.showThrough(prompt);
}
