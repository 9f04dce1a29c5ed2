#include "ui/WindowHelpers.h"

#include "base/Helpers.h"

#include <QAbstractButton>
#include <QPalette>
#include <QWidget>

void MarkPeriodCaption(QWidget *window, int mode, bool recolour)
{
    if (mode != 1 && mode != 2)
        return;
    if (recolour) {
        QPalette palette = window->palette();
        palette.setColor(QPalette::Window, mode == 1 ? QColor(192, 192, 192) : QColor(128, 128, 128));
        window->setPalette(palette);
        window->setAutoFillBackground(true);
    }
    window->setWindowTitle(PeriodCaptionText(window->windowTitle(), mode));
}

void SetPeriodButtonCaption(QAbstractButton *button, int mode)
{
    const QString text = PeriodButtonText(mode);
    if (!text.isNull())
        button->setText(text);
}

void cSetWindow::SetTopMost(QWidget *window, bool onTop)
{
    if (window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == onTop)
        return;
    const bool wasVisible = window->isVisible();
    const QRect geometry = window->geometry();
    const bool noActivate = window->testAttribute(Qt::WA_ShowWithoutActivating);
    window->setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    if (wasVisible) {
        window->setAttribute(Qt::WA_ShowWithoutActivating, true);
        window->setGeometry(geometry);
        window->show();
        window->setAttribute(Qt::WA_ShowWithoutActivating, noActivate);
    }
}
