#pragma once

// Typing into widgets without a window system: key and focus events sent straight to a widget.

#include <QCoreApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QString>
#include <QWidget>

namespace ui_testing {

inline void pressKey(QWidget *widget, int key, const QString &text = QString())
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(widget, &release);
}

// Types each character as its own key press (digits, letters, "/", ".").
inline void typeText(QWidget *widget, const QString &text)
{
    for (const QChar c : text) {
        int key = c.toUpper().unicode();
        if (c == QLatin1Char('/'))
            key = Qt::Key_Slash;
        else if (c == QLatin1Char('.'))
            key = Qt::Key_Period;
        pressKey(widget, key, QString(c));
    }
}

inline void backspace(QWidget *widget)
{
    pressKey(widget, Qt::Key_Backspace);
}

inline void focusIn(QWidget *widget, Qt::FocusReason reason = Qt::OtherFocusReason)
{
    QFocusEvent e(QEvent::FocusIn, reason);
    QCoreApplication::sendEvent(widget, &e);
}

inline void focusOut(QWidget *widget)
{
    QFocusEvent e(QEvent::FocusOut, Qt::OtherFocusReason);
    QCoreApplication::sendEvent(widget, &e);
}

} // namespace ui_testing
