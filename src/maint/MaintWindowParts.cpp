#include "maint/MaintWindowParts.h"

#include <QApplication>

WaitCursor::WaitCursor()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

WaitCursor::~WaitCursor()
{
    QApplication::restoreOverrideCursor();
}

void PaintingProgress::yield()
{
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void PaintingProgress::setBusy(bool busy)
{
    if (busy == m_busy)
        return;
    m_busy = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}
