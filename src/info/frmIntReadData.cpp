#include "info/frmIntReadData.h"

#include "base/AppServices.h"
#include "base/DateUtil.h"
#include "base/MainModule.h"
#include "base/Ports.h"
#include "db/DbError.h"
#include "import/ImportRun.h"
#include "import/ImportWindowLogic.h"
#include "import/ImportWindowParts.h"
#include "import/frmReadData.h"
#include "info/InfoServer.h"
#include "info/PriceDownload.h"
#include "ui/WindowHelpers.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {
const QString kNothingFound = QStringLiteral("取得するファイルが見つかりません。");
const QString kConfirm = QStringLiteral("確認");
} // namespace

frmIntReadData::frmIntReadData(AppServices &services, importer::ImportMode mode, QWidget *parent)
    : DownloadWindow(services, "frmIntReadData", parent), m_mode(mode)
{
    setWindowTitle(QStringLiteral("株価データー取得"));
    Label1 = named<QLabel>("Label1", QStringLiteral("期間"));
    Label2 = named<QLabel>("Label2", QStringLiteral("日付"));
    ChkShinyo = named<QCheckBox>("ChkShinyo", QStringLiteral("信用残も取得する"));
    CmdInetRead = named<QPushButton>("CmdInetRead", QStringLiteral("データー取込"));
    CmdClose->setText(QStringLiteral("キャンセル"));
    Label3 = named<QLabel>("Label3", QStringLiteral("データーサーバー："));
    Label4 = named<QLabel>("Label4", info::ServerBase(MainModule::DURL));
    Label5 = named<QLabel>("Label5");
    Label4->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *dates = new QGridLayout;
    dates->addWidget(Label1, 0, 0);
    dates->addWidget(ReadDateji, 0, 1);
    dates->addWidget(CmdJiUp, 0, 2);
    dates->addWidget(CmdJiDu, 0, 3);
    dates->addWidget(LabReadDateji, 0, 4);
    dates->addWidget(Label2, 1, 0, Qt::AlignRight);
    dates->addWidget(ReadDateitaru, 1, 1);
    dates->addWidget(CmditarUp, 1, 2);
    dates->addWidget(CmditarDu, 1, 3);
    dates->addWidget(LabReadDateitaru, 1, 4);
    dates->addWidget(ChkShinyo, 2, 1, 1, 4);
    dates->setColumnStretch(5, 1);

    auto *server = new QHBoxLayout;
    server->addWidget(Label3);
    server->addWidget(Label4, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(CmdInetRead);
    buttons->addStretch();
    buttons->addWidget(CmdClose);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(dates);
    layout->addLayout(server);
    layout->addWidget(LblText);
    layout->addWidget(Label5);
    layout->addLayout(buttons);

    if (registrationMode()) {
        for (QWidget *w : std::initializer_list<QWidget *>{ReadDateji, ReadDateitaru, Label1, Label2, LabReadDateji,
                                                           LabReadDateitaru, CmdJiDu, CmdJiUp, CmditarDu, CmditarUp,
                                                           ChkShinyo})
            w->hide();
    } else {
        ChkShinyo->setChecked(!MainModule::sinyoPath.trimmed().isEmpty() && MainModule::ReadSinyo != QStringLiteral("しない"));
    }
    // The first date box hands its text on to the last one when it is left.
    connect(ReadDateji, &QLineEdit::editingFinished, this, [this] {
        MainModule::LastKeyBackspace = true;
        ReadDateitaru->setText(ReadDateji->text());
    });
    connect(CmdInetRead, &QPushButton::clicked, this, &frmIntReadData::CmdInetRead_Click);
}

bool frmIntReadData::registrationMode() const
{
    return m_mode != importer::ImportMode::Prices;
}

void frmIntReadData::showEvent(QShowEvent *event)
{
    DownloadWindow::showEvent(event);
    if (!m_activated) {
        m_activated = true;
        QTimer::singleShot(0, this, [this] { Form_Activate(); });
    }
}

void frmIntReadData::Form_Activate()
{
    m_activated = true;
    QCoreApplication::processEvents();
    if (registrationMode()) {
        LblText->setText(QStringLiteral("銘柄ﾃﾞｰﾀ自動取得"));
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    LblText->setText(QStringLiteral("日付取得中....."));
    try {
        const auto last = importer::LastStoredDay(MainModule::DBPath, MainModule::PriceTableName);
        QDate first = today();
        if (last) {
            const int weekday = DateUtil::weekdayNumber(*last);
            first = weekday == 6 || weekday == 7 ? DateUtil::MondayOnOrAfter(*last) : last->addDays(1);
        }
        ReadDateji->setText(DateUtil::formatYYMMDD(first));
        ReadDateitaru->setText(DateUtil::formatYYMMDD(first));
    } catch (const db::DbError &e) {
        m_services.prompt->inform(e.description(), QString(), PromptIcon::Critical);
    }
    LblText->setText(QStringLiteral("株価ﾃﾞｰﾀ取得中"));
    MarkPeriodCaption(this, MainModule::PeriodMode, false);
    QApplication::restoreOverrideCursor();
}

void frmIntReadData::CmdInetRead_Click()
{
    if (Busy)
        return;
    if (registrationMode())
        downloadRegistration();
    else
        downloadPrices();
}

void frmIntReadData::downloadRegistration()
{
    if (!m_services.prompt->askYesNo(QStringLiteral("銘柄データーを取得します　よろしいですか？"), kConfirm))
        return;
    markBusy();
    LblText->setText(QStringLiteral("銘柄ﾃﾞｰﾀ取得中"));
    LblText->repaint();
    const info::FileOutcome outcome = info::DownloadRegistrationFile(*m_services.http, MainModule::DURL);
    if (*cancelFlag())
        return;
    if (!outcome.error.isEmpty()) {
        m_services.prompt->inform(outcome.error, QString(), PromptIcon::Critical);
        return;
    }
    if (!outcome.stored)
        LblText->setText(QStringLiteral("銘柄ﾃﾞｰﾀ ｽｷｯﾌﾟ"));
    if (m_mode == importer::ImportMode::BeforeConversion || !outcome.stored) {
        closeFinished(kNothingFound);
        return;
    }
    openImport(importer::ImportMode::Registration, {}, {}, false);
}

void frmIntReadData::downloadPrices()
{
    Prompt &prompt = *m_services.prompt;
    const QDate first = importer::ParseBoxDate(ReadDateji->text(), today());
    const QDate last = importer::ParseBoxDate(ReadDateitaru->text(), today());
    if (!first.isValid() || !last.isValid()) {
        prompt.inform(QStringLiteral("日付を入力して下さい。"));
        return;
    }
    if (last < first) {
        prompt.inform(QStringLiteral("日付範囲が誤っています。"));
        return;
    }
    const bool margin = ChkShinyo->isChecked();
    if (MainModule::hibiPath.trimmed().isEmpty() || (margin && MainModule::sinyoPath.trimmed().isEmpty())) {
        prompt.inform(MainModule::hibiPath.trimmed().isEmpty() ? QStringLiteral("日々データーフォルダが登録されていません。")
                                                               : QStringLiteral("信用データーフォルダが登録されていません。"));
        return;
    }
    if (!prompt.askYesNo(DateUtil::formatYYMMDD(first) + QStringLiteral("からのデーターを取得します　よろしいですか？"), kConfirm))
        return;
    markBusy();
    importer::LabelProgress progress(LblText, nullptr, true);
    info::PriceDownloadView view{*m_services.http, progress, cancelFlag()};
    const info::PriceDownloadResult result =
        info::DownloadPriceFiles(first, last, margin, MainModule::DURL, MainModule::hibiPath, MainModule::sinyoPath, view);
    if (result.cancelled)
        return;
    if (!result.error.isEmpty()) {
        prompt.inform(result.error, QString(), PromptIcon::Critical);
        return;
    }
    Label5->setText(QStringLiteral("日々データー %1 件　信用データー %2 件").arg(result.dailyStored).arg(result.marginStored));
    if (result.dailyStored == 0) {
        closeFinished(kNothingFound);
        return;
    }
    openImport(importer::ImportMode::Prices, first, last, margin);
}

void frmIntReadData::openImport(importer::ImportMode mode, const QDate &first, const QDate &last, bool margin)
{
    closeFinished(QString());
    frmReadData import(m_services, mode, parentWidget());
    if (first.isValid()) {
        import.ReadDateji->setText(DateUtil::formatYYMMDD(first));
        import.ReadDateitaru->setText(DateUtil::formatYYMMDD(last));
        import.ChkShinyo->setChecked(margin);
    }
    import.exec();
    m_resultMessage = import.resultMessage();
}
