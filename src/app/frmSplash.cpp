#include "app/frmSplash.h"

#include "app/Startup.h"
#include "base/Version.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QTimer>

frmSplash::frmSplash(QWidget &mainWindow, QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint), m_main(mainWindow)
{
    setObjectName(QStringLiteral("frmSplash"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    setFixedSize(420, 240);
    Timer = new QTimer(this);
    Timer->setObjectName(QStringLiteral("Timer"));
    Timer->setSingleShot(true);
    Timer->setInterval(1000);
    connect(Timer, &QTimer::timeout, this, &frmSplash::Timer_Timer);
    Form_Load();
}

void frmSplash::Form_Load()
{
    Timer->start();
}

void frmSplash::Timer_Timer()
{
    Q_EMIT timerFired();
    // Each step goes on when the one before failed; the splash closes in any case.
    try {
        QCoreApplication::processEvents();
    } catch (...) {
    }
    try {
        m_main.show();
    } catch (...) {
    }
    close();
    Q_EMIT mainWindowShown();
}

void frmSplash::closeEvent(QCloseEvent *event)
{
    Timer->stop();
    event->accept();
}

void frmSplash::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient background(0, 0, 0, height());
    background.setColorAt(0.0, QColor(16, 40, 96));
    background.setColorAt(1.0, QColor(48, 112, 176));
    p.fillRect(rect(), background);
    // A few candles as the picture's motif.
    const int base = height() - 50;
    const int heights[] = {40, 62, 50, 80, 70, 96, 88};
    for (int i = 0; i < 7; ++i) {
        const int x = 30 + i * 22;
        const QColor c = (i % 2 == 0) ? QColor(255, 255, 255, 170) : QColor(255, 120, 120, 200);
        p.setPen(c);
        p.drawLine(x + 5, base - heights[i] - 12, x + 5, base);
        p.fillRect(x, base - heights[i], 11, heights[i] - 10, c);
    }
    QFont title = font();
    title.setPixelSize(54);
    title.setBold(true);
    p.setFont(title);
    p.setPen(Qt::white);
    p.drawText(QRect(150, 40, width() - 170, 90), Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("ミラベル"));
    QFont small = font();
    small.setPixelSize(14);
    p.setFont(small);
    p.drawText(QRect(150, 130, width() - 170, 24), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("Version %1").arg(versionText()));
    p.setPen(QColor(255, 255, 255, 120));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}
