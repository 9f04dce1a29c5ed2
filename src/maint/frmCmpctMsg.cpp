#include "maint/frmCmpctMsg.h"

#include <QLabel>
#include <QPainter>

frmCmpctMsg::frmCmpctMsg(QWidget *parent)
    : QWidget(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("frmCmpctMsg"));
    setWindowModality(Qt::ApplicationModal);
    setFixedSize(360, 110);
    Label1 = new QLabel(QStringLiteral("最適化＆バックアップ処理中．．．"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(70, 40, 280, 30);
    QFont f = Label1->font();
    f.setPixelSize(16);
    Label1->setFont(f);
}

void frmCmpctMsg::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), QColor(192, 192, 192));
    p.setPen(QColor(64, 64, 64));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    // The shape: a small database drum.
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(48, 112, 176));
    p.drawRoundedRect(QRect(22, 34, 32, 42), 6, 6);
    p.setBrush(QColor(96, 160, 224));
    p.drawEllipse(QRect(22, 28, 32, 12));
}
