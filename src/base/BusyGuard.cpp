#include "base/BusyGuard.h"

#include <QCursor>
#include <QGuiApplication>

namespace {

// The batch tool runs without a GUI application: there is no pointer to change.
bool hasPointer()
{
    return qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr;
}

} // namespace

BusyGuard::BusyGuard()
    : m_pointer(hasPointer())
{
    if (m_pointer)
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

BusyGuard::BusyGuard(bool &flag, Pointer pointer)
    : m_flag(&flag), m_old(flag), m_pointer(pointer == Pointer::Wait && hasPointer())
{
    flag = true;
    if (m_pointer)
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

BusyGuard::~BusyGuard()
{
    if (m_pointer)
        QGuiApplication::restoreOverrideCursor();
    if (m_flag)
        *m_flag = m_old;
}
