#include "ConvertWindow.h"

#include "ui/WindowHelpers.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

ConvertWindow::ConvertWindow(std::function<void(ConvertWindow &)> work)
    : m_work(std::move(work))
{
    setWindowTitle(QStringLiteral("株価データーの取得（J-Quants）"));
    LabFileName = named<QLabel>("LabFileName", QStringLiteral("J-Quants に接続しています..."));
    LabPa = named<QLabel>("LabPa");
    TxtResult = named<QPlainTextEdit>("TxtResult");
    TxtResult->setReadOnly(true);
    TxtResult->hide();
    CmdStop = named<QPushButton>("CmdStop", QStringLiteral("中止"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(LabFileName);
    layout->addWidget(LabPa);
    layout->addWidget(TxtResult);
    layout->addWidget(CmdStop, 0, Qt::AlignRight);
    resize(560, 160);
    connect(CmdStop, &QPushButton::clicked, this, [this] {
        if (m_running)
            stop();
        else
            accept();
    });
}

void ConvertWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_started)
        return;
    m_started = true;
    QTimer::singleShot(0, this, [this] {
        m_running = true;
        m_work(*this);
        m_running = false;
        CmdStop->setText(QStringLiteral("閉じる"));
        CmdStop->setEnabled(true);
    });
}

void ConvertWindow::showProgress(const QString &text)
{
    LabPa->setText(text);
}

void ConvertWindow::showEnd(const QString &headline, const QStringList &lines)
{
    LabFileName->setText(headline);
    LabPa->clear();
    TxtResult->setPlainText(lines.join(QLatin1Char('\n')));
    TxtResult->show();
    resize(width(), 360);
}

void ConvertWindow::stop()
{
    m_stopRequested = true;
    CmdStop->setEnabled(false);
    LabFileName->setText(QStringLiteral("取得中の日が終わったら止めます..."));
}

void ConvertWindow::reject()
{
    if (m_running)
        stop(); // the window closes once the day in progress is written
    else
        QDialog::reject();
}
