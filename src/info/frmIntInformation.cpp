#include "info/frmIntInformation.h"

#include "base/AppServices.h"
#include "base/DateUtil.h"
#include "base/MainModule.h"
#include "base/Ports.h"
#include "db/DbError.h"
#include "import/ImportWindowParts.h"
#include "info/InfoDownload.h"

#include <QApplication>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

frmIntInformation::frmIntInformation(AppServices &services, QWidget *parent)
    : DownloadWindow(services, "frmIntInformation", parent)
{
    setWindowTitle(QStringLiteral("株式情報取得"));
    Label2 = named<QLabel>("Label2", QStringLiteral("日付"));
    CmdInetRead0 = named<QPushButton>("CmdInetRead0", QStringLiteral("情報取込"));
    CmdInetRead1 = named<QPushButton>("CmdInetRead1", QStringLiteral("情報の種類取り込み"));
    CmdClose->setText(QStringLiteral("ｷｬﾝｾﾙ"));
    Label5 = named<QLabel>("Label5");
    Label5->setFrameShape(QFrame::Panel);
    Label5->setFrameShadow(QFrame::Sunken);
    Label5->setFixedHeight(18);
    Label5->setMinimumWidth(300);
    ShapeBox = named<QFrame>("ShapeBox", Label5);
    ShapeBox->setAutoFillBackground(true);
    QPalette bar = ShapeBox->palette();
    bar.setColor(QPalette::Window, QColor(0, 0, 128));
    ShapeBox->setPalette(bar);
    ShapeBox->setGeometry(2, 2, 0, 14);

    auto *dates = new QGridLayout;
    dates->addWidget(Label2, 0, 0);
    dates->addWidget(ReadDateji, 0, 1);
    dates->addWidget(CmdJiUp, 0, 2);
    dates->addWidget(CmdJiDu, 0, 3);
    dates->addWidget(LabReadDateji, 0, 4);
    dates->addWidget(new QLabel(QStringLiteral("～")), 1, 0, Qt::AlignRight);
    dates->addWidget(ReadDateitaru, 1, 1);
    dates->addWidget(CmditarUp, 1, 2);
    dates->addWidget(CmditarDu, 1, 3);
    dates->addWidget(LabReadDateitaru, 1, 4);
    dates->setColumnStretch(5, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(CmdInetRead0);
    buttons->addWidget(CmdInetRead1);
    buttons->addStretch();
    buttons->addWidget(CmdClose);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(dates);
    layout->addWidget(LblText);
    layout->addWidget(Label5);
    layout->addLayout(buttons);

    connect(CmdInetRead0, &QPushButton::clicked, this, [this] { CmdInetRead_Click(int(info::DownloadMode::Rankings)); });
    connect(CmdInetRead1, &QPushButton::clicked, this, [this] { CmdInetRead_Click(int(info::DownloadMode::Kinds)); });
}

void frmIntInformation::showEvent(QShowEvent *event)
{
    DownloadWindow::showEvent(event);
    if (!m_activated) {
        m_activated = true;
        QTimer::singleShot(0, this, [this] { Form_Activate(); });
    }
}

void frmIntInformation::Form_Activate()
{
    m_activated = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    LblText->setText(QStringLiteral("日付取得中....."));
    try {
        const info::ProposedRange range = info::ProposeRankingRange(MainModule::DBPath, today());
        ReadDateji->setText(DateUtil::formatYYMMDD(range.first));
        ReadDateitaru->setText(range.last == range.first ? ReadDateji->text()
                                                         : range.last.toString(QStringLiteral("yyyy/MM/dd")));
    } catch (const db::DbError &e) {
        m_services.prompt->inform(e.description(), QString(), PromptIcon::Critical);
    }
    LblText->setText(QStringLiteral("株式情報自動取得....."));
    QApplication::restoreOverrideCursor();
}

void frmIntInformation::setBar(double fraction)
{
    ShapeBox->resize(int((Label5->width() - 4) * fraction), ShapeBox->height());
    ShapeBox->repaint();
}

void frmIntInformation::CmdInetRead_Click(int mode)
{
    importer::LabelProgress progress(LblText, nullptr, true);
    info::DownloadView view{m_services.http, *m_services.prompt, progress, [this](double f) { setBar(f); },
                            [this] { markBusy(); }, cancelFlag()};
    info::DownloadRequest request;
    request.mode = mode;
    request.firstText = ReadDateji->text();
    request.lastText = ReadDateitaru->text();
    request.today = today();
    const info::DownloadResult result = info::DownloadInformation(request, view);
    if (result.end == info::DownloadEnd::Finished)
        closeFinished(result.message);
}
