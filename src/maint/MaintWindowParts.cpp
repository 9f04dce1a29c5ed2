#include "maint/MaintWindowParts.h"

#include <QCoreApplication>

void PaintingProgress::yield()
{
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void PaintingProgress::setBusy(bool busy)
{
    if (busy && !m_busy)
        m_busy.emplace();
    else if (!busy)
        m_busy.reset();
}
