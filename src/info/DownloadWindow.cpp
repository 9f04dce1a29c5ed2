#include "info/DownloadWindow.h"

#include "base/AppServices.h"
#include "base/Ports.h"
#include "import/ImportWindowParts.h"
#include "ui/WindowHelpers.h"

#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>

DownloadWindow::DownloadWindow(AppServices &services, const char *objectName, QWidget *parent)
    : QDialog(parent), m_services(services)
{
    setObjectName(QString::fromLatin1(objectName));
    setModal(true);
    ReadDateji = named<QLineEdit>("ReadDateji");
    ReadDateitaru = named<QLineEdit>("ReadDateitaru");
    LabReadDateji = named<QLabel>("LabReadDateji");
    LabReadDateitaru = named<QLabel>("LabReadDateitaru");
    // ▲ (a day later) before ▼, as in the import window.
    CmdJiUp = named<QPushButton>("CmdJiUp", QStringLiteral("▲"));
    CmdJiDu = named<QPushButton>("CmdJiDu", QStringLiteral("▼"));
    CmditarUp = named<QPushButton>("CmditarUp", QStringLiteral("▲"));
    CmditarDu = named<QPushButton>("CmditarDu", QStringLiteral("▼"));
    LblText = named<QLabel>("LblText");
    CmdClose = named<QPushButton>("CmdClose");
    for (QPushButton *b : {CmdJiDu, CmdJiUp, CmditarDu, CmditarUp}) {
        b->setFixedWidth(28);
        b->setToolTip(b == CmdJiUp || b == CmditarUp ? QStringLiteral("1日後") : QStringLiteral("1日前"));
    }
    for (QLineEdit *e : {ReadDateji, ReadDateitaru})
        e->setFixedWidth(90);
    for (QLabel *l : {LabReadDateji, LabReadDateitaru})
        l->setMinimumWidth(56);
    LblText->setMinimumWidth(300);
    LblText->setFrameShape(QFrame::Panel);
    LblText->setFrameShadow(QFrame::Sunken);
    importer::SetUpDateBox(ReadDateji, LabReadDateji, m_services.clock);
    importer::SetUpDateBox(ReadDateitaru, LabReadDateitaru, m_services.clock);

    connect(CmdJiDu, &QPushButton::clicked, this, [this] { stepDate(ReadDateji, -1); });
    connect(CmdJiUp, &QPushButton::clicked, this, [this] { stepDate(ReadDateji, 1); });
    connect(CmditarDu, &QPushButton::clicked, this, [this] { stepDate(ReadDateitaru, -1); });
    connect(CmditarUp, &QPushButton::clicked, this, [this] { stepDate(ReadDateitaru, 1); });
    connect(CmdClose, &QPushButton::clicked, this, [this] { reject(); });

    if (m_services.http)
        m_services.http->cancel();
    cSetWindow::SetTopMost(this, true);
    setAutoFillBackground(true);
    setBackground(false);
}

DownloadWindow::~DownloadWindow() = default;

QDate DownloadWindow::today() const
{
    return importer::TodayOf(m_services.clock);
}

void DownloadWindow::stepDate(QLineEdit *box, int days)
{
    const QDate d = importer::ParseBoxDate(box->text(), today());
    if (d.isValid())
        box->setText(d.addDays(days).toString(QStringLiteral("yyyy/MM/dd")));
}

void DownloadWindow::setBackground(bool downloading)
{
    QPalette p = palette();
    p.setColor(QPalette::Window, downloading ? QColor(192, 255, 192) : QColor(255, 192, 192));
    setPalette(p);
}

void DownloadWindow::markBusy()
{
    Busy = true;
    setBackground(true);
    LblText->repaint();
}

void DownloadWindow::closeFinished(const QString &message)
{
    m_resultMessage = message;
    m_closing = true;
    done(QDialog::Accepted);
}

void DownloadWindow::done(int result)
{
    if (Busy && !m_closing) {
        Prompt &prompt = *m_services.prompt;
        if (!prompt.askYesNo(QStringLiteral("この操作を行うとコンピュータの再起動が必要となります よろしいですか？"),
                             QStringLiteral("確認")))
            return;
        prompt.inform(QStringLiteral("必ずコンピュータを再起動してください。"));
        m_resultMessage.clear();
        m_cancelled = true;
    }
    if (m_services.http)
        m_services.http->cancel();
    if (parentWidget() && parentWidget()->window()->isMinimized())
        parentWidget()->window()->showNormal();
    QDialog::done(result);
}
