#include "import/frmReadData.h"

#include "base/AppServices.h"
#include "base/BusyGuard.h"
#include "base/DateUtil.h"
#include "base/Helpers.h"
#include "base/MainModule.h"
#include "base/Settings.h"
#include "db/DbError.h"
#include "import/DailyImport.h"
#include "import/ImportRun.h"
#include "import/ImportWindowLogic.h"
#include "import/ImportWindowParts.h"
#include "import/Registration.h"
#include "maint/frmReadDelMei.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

using namespace importer;

namespace {

const QString kConfirm = QStringLiteral("確認");
const QString kRegistrationCaption = QStringLiteral("銘柄データー読み込み");
const QString kPriceCaption = QStringLiteral("株価データー読み込み");

} // namespace

frmReadData::frmReadData(AppServices &services, ImportMode mode, QWidget *parent)
    : QDialog(parent), m_services(services), m_mode(mode)
{
    setObjectName(QStringLiteral("frmReadData"));
    setWindowTitle(kPriceCaption);
    setModal(true);

    Label2 = named<QLabel>("Label2", QStringLiteral("期間日付　自"));
    ReadDateji = named<QLineEdit>("ReadDateji");
    LabReadDateji = named<QLabel>("LabReadDateji");
    CmdJiUp = named<QPushButton>("CmdJiUp", QStringLiteral("▲"));
    CmdJiDu = named<QPushButton>("CmdJiDu", QStringLiteral("▼"));
    Lbl3 = named<QLabel>("Lbl3", QStringLiteral("～　至"));
    ReadDateitaru = named<QLineEdit>("ReadDateitaru");
    LabReadDateitaru = named<QLabel>("LabReadDateitaru");
    CmditarUp = named<QPushButton>("CmditarUp", QStringLiteral("▲"));
    CmditarDu = named<QPushButton>("CmditarDu", QStringLiteral("▼"));
    ChkShinyo = named<QCheckBox>("ChkShinyo", QStringLiteral("信用残も読込む"));
    ChkMakeSyu = named<QCheckBox>("ChkMakeSyu", QStringLiteral("週ﾃﾞｰﾀも作成する"));
    CmdReadData = named<QPushButton>("CmdReadData", QStringLiteral("株価データー読込み"));
    CmdFileConvert = named<QPushButton>("CmdFileConvert", QStringLiteral("株価データーを取得しファイル変換"));
    CmdClose = named<QPushButton>("CmdClose", QStringLiteral("キャンセル"));
    LabFileName = named<QLabel>("LabFileName");
    LabPa = named<QLabel>("LabPa");

    for (QPushButton *b : {CmdJiUp, CmdJiDu, CmditarUp, CmditarDu})
        b->setFixedWidth(28);
    CmdJiUp->setToolTip(QStringLiteral("1日後"));
    CmdJiDu->setToolTip(QStringLiteral("1日前"));
    CmditarUp->setToolTip(QStringLiteral("1日後"));
    CmditarDu->setToolTip(QStringLiteral("1日前"));
    for (QLineEdit *e : {ReadDateji, ReadDateitaru})
        e->setFixedWidth(90);
    for (QLabel *l : {LabReadDateji, LabReadDateitaru})
        l->setMinimumWidth(60);
    LabFileName->setMinimumWidth(260);
    LabPa->setMinimumWidth(30);
    LabPa->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto *dates = new QGridLayout;
    dates->addWidget(Label2, 0, 0);
    dates->addWidget(ReadDateji, 0, 1);
    dates->addWidget(CmdJiUp, 0, 2);
    dates->addWidget(CmdJiDu, 0, 3);
    dates->addWidget(LabReadDateji, 0, 4);
    dates->addWidget(Lbl3, 1, 0, Qt::AlignRight);
    dates->addWidget(ReadDateitaru, 1, 1);
    dates->addWidget(CmditarUp, 1, 2);
    dates->addWidget(CmditarDu, 1, 3);
    dates->addWidget(LabReadDateitaru, 1, 4);
    dates->setColumnStretch(5, 1);

    auto *checks = new QHBoxLayout;
    checks->addWidget(ChkShinyo);
    checks->addWidget(ChkMakeSyu);
    checks->addStretch();

    auto *progressRow = new QHBoxLayout;
    progressRow->addWidget(LabFileName, 1);
    progressRow->addWidget(LabPa);
    progressRow->addWidget(new QLabel(QStringLiteral("%")));

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(CmdReadData);
    buttons->addWidget(CmdFileConvert);
    buttons->addStretch();
    buttons->addWidget(CmdClose);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(dates);
    layout->addLayout(checks);
    layout->addLayout(progressRow);
    layout->addLayout(buttons);

    SetUpDateBox(ReadDateji, LabReadDateji, m_services.clock);
    SetUpDateBox(ReadDateitaru, LabReadDateitaru, m_services.clock);

    m_progress = std::make_unique<LabelProgress>(LabFileName, LabPa, true);
    if (parentWidget())
        m_progress->setCaptionWindow(parentWidget()->window());

    connect(CmdJiUp, &QPushButton::clicked, this, [this] { stepDate(ReadDateji, 1); });
    connect(CmdJiDu, &QPushButton::clicked, this, [this] { stepDate(ReadDateji, -1); });
    connect(CmditarUp, &QPushButton::clicked, this, [this] { stepDate(ReadDateitaru, 1); });
    connect(CmditarDu, &QPushButton::clicked, this, [this] { stepDate(ReadDateitaru, -1); });
    connect(CmdReadData, &QPushButton::clicked, this, &frmReadData::CmdReadData_Click);
    connect(CmdFileConvert, &QPushButton::clicked, this, &frmReadData::CmdFileConvert_Click);
    connect(CmdClose, &QPushButton::clicked, this, [this] { reject(); });

    Form_Load();
}

frmReadData::~frmReadData() = default;

bool frmReadData::isBusy() const
{
    return m_running || m_progress->busy();
}

void frmReadData::Form_Load()
{
    const QDate today = TodayOf(m_services.clock);
    std::optional<QDate> last;
    try {
        last = LastStoredDay(MainModule::DBPath);
    } catch (const db::DbError &e) {
        if (m_services.prompt)
            m_services.prompt->inform(e.description(), QString(), PromptIcon::Critical);
    }
    const ImportProposal p = ProposeImportRange(last, today, MainModule::ReadSinyo, MainModule::MakeSyu,
                                                ChkShinyo->isChecked());
    ReadDateji->setText(DateUtil::formatYYMMDD(p.first));
    ReadDateitaru->setText(DateUtil::formatYYMMDD(p.last));
    ChkShinyo->setChecked(p.readMargin);
    ChkMakeSyu->setChecked(p.buildWeekly);
}

void frmReadData::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_activated) {
        m_activated = true;
        // After the window is on screen, so a registration import shows its progress.
        QTimer::singleShot(0, this, [this] { Form_Activate(); });
    }
}

void frmReadData::Form_Activate()
{
    m_activated = true;
    if (m_mode == ImportMode::Registration || m_mode == ImportMode::FirstRun) {
        setWindowTitle(kRegistrationCaption);
        CmdReadData->setText(kRegistrationCaption);
        bool close = false;
        {
            BusyGuard running(m_running);
            const ImportResult result = runRegistration(m_mode);
            m_resultMessage = result.message;
            close = result.closeWindow;
        }
        if (close)
            done(QDialog::Accepted);
    } else if (m_mode == ImportMode::Prices) {
        setWindowTitle(kPriceCaption);
        CmdReadData->setText(kPriceCaption);
    }
}

ImportResult frmReadData::runRegistration(ImportMode mode)
{
    QString mainCaption;
    if (parentWidget())
        mainCaption = parentWidget()->window()->windowTitle();
    ImportContext context{*m_progress, *m_services.prompt, mainCaption};
    ImportResult result = ImportRegistration(context, mode);
    if (result.completed)
        m_registeredIn = mode;
    return result;
}

void frmReadData::stepDate(QLineEdit *box, int days)
{
    if (isBusy())
        return;
    const QDate d = ParseBoxDate(box->text(), TodayOf(m_services.clock));
    if (!d.isValid())
        return;
    box->setText(DateUtil::formatYYMMDD(d.addDays(days)));
    box->setFocus();
}

bool frmReadData::checkBeforeRun()
{
    Prompt &prompt = *m_services.prompt;
    if (MainModule::hibiPath.trimmed().isEmpty()) {
        if (prompt.askYesNo(QStringLiteral("日々データーフォルダが登録されていません 今すぐ登録しますか？"), kConfirm)) {
            if (m_services.openOptions)
                m_services.openOptions(this);
        }
        return false;
    }
    if (ChkShinyo->isChecked() && MainModule::sinyoPath.trimmed().isEmpty()) {
        if (prompt.askYesNo(QStringLiteral("信用データーフォルダが登録されていません 今すぐ登録しますか？"), kConfirm)) {
            if (m_services.openOptions)
                m_services.openOptions(this);
        }
        return false;
    }
    const CheckedRange range = CheckRange(ReadDateji->text(), ReadDateitaru->text(), TodayOf(m_services.clock), false);
    if (range.check != RangeCheck::Ok) {
        ShowRangeProblem(prompt, range.check, ReadDateji, ReadDateitaru);
        return false;
    }
    return true;
}

void frmReadData::CmdReadData_Click()
{
    if (isBusy())
        return;
    bool close = false;
    {
        BusyGuard running(m_running);
        if (!checkBeforeRun())
            return;
        if (!m_services.prompt->askYesNo(QStringLiteral("株価データーの読込みを開始します。"), kConfirm))
            return;
        const CheckedRange range =
            CheckRange(ReadDateji->text(), ReadDateitaru->text(), TodayOf(m_services.clock), false);
        const DailyImportRequest request =
            DailyImportRequest::fromSettings(range.first, range.last, ChkShinyo->isChecked(), ChkMakeSyu->isChecked());
        ImportContext context{*m_progress, *m_services.prompt};
        const ImportResult result = ImportDailyFiles(request, context);
        m_resultMessage = result.message;
        close = result.closeWindow;
    }
    if (close)
        done(QDialog::Accepted);
}

void frmReadData::CmdFileConvert_Click()
{
    if (isBusy())
        return;
    bool close = false;
    {
        BusyGuard running(m_running);
        if (!checkBeforeRun())
            return;
        Prompt &prompt = *m_services.prompt;
        // The exchange data service gives its own listed issues: Convt writes the registration file.
        if (!Settings::exchangeServiceIsSource(Settings::converterSource())
            && prompt.askYesNo(QStringLiteral("銘柄データーを最新の状態にしてファイル変換を行いますか？（推奨）"), kConfirm)) {
            if (m_services.shell)
                OpenWebPage(*m_services.shell, MainModule::MURL);
            if (m_services.downloadRegistration)
                m_services.downloadRegistration(this);
            // The registration's outcome is told here; the window's own result stays the daily import's.
            const ImportResult result = runRegistration(ImportMode::BeforeConversion);
            if (!result.message.isEmpty())
                prompt.inform(result.message);
            close = result.closeWindow;
        }
        startConverter();
    }
    if (close)
        done(QDialog::Accepted);
}

void frmReadData::startConverter()
{
    Prompt &prompt = *m_services.prompt;
    const QString folder = QDir::toNativeSeparators(MainModule::ProgramFolder);
    // A portable copy keeps Convt in the program folder; an installed one beside the executable.
    QString program = ConverterPath(MainModule::ProgramFolder);
    if (program.isEmpty())
        program = ConverterPath(QCoreApplication::applicationDirPath());
    if (program.isEmpty()) {
        prompt.inform(QStringLiteral("ファイル変換プログラム Convt がプログラムフォルダ（%1）にありません。").arg(folder),
                      QString(), PromptIcon::Warning);
        return;
    }
    const QString argument = ConverterArgument(ReadDateji->text(), ReadDateitaru->text());
    if (!m_services.shell || !m_services.shell->start(program, {argument}, MainModule::ProgramFolder))
        prompt.inform(QStringLiteral("ファイル変換プログラム %1 を起動できませんでした。").arg(QDir::toNativeSeparators(program)),
                      QString(), PromptIcon::Warning);
}

void frmReadData::done(int result)
{
    if (isBusy())
        return;
    if (!m_unloaded) {
        m_unloaded = true;
        if (m_registeredIn != ImportMode::Registration && m_registeredIn != ImportMode::BeforeConversion)
            offerDeletion();
    }
    QDialog::done(result);
}

void frmReadData::offerDeletion()
{
    bool any = false;
    try {
        any = HasUnupdatedIssues(MainModule::DBPath);
    } catch (const db::DbError &e) {
        m_services.prompt->inform(e.description(), QString(), PromptIcon::Critical);
    }
    if (!any)
        return;
    frmReadDelMei deletion(m_services, this);
    deletion.exec();
}
