#include "ui/DateBox.h"

#include "base/DateUtil.h"
#include "base/MainModule.h"
#include "base/Ports.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>

DateBox::DateBox(QLineEdit *edit, bool dateRules)
    : QObject(edit), m_edit(edit), m_dateRules(dateRules)
{
    edit->installEventFilter(this);
    if (dateRules)
        connect(edit, &QLineEdit::textChanged, this, [this] {
            // Putting the slash in changes the text again: that inner change clears the mark first.
            const bool inserted = InsertDateSlash(m_edit);
            m_caretAfterInsertedSlash = inserted ? m_edit->cursorPosition() : -1;
        });
}

DateBox *DateBox::attach(QLineEdit *edit)
{
    return new DateBox(edit, true);
}

void DateBox::attachSelectAll(QLineEdit *edit)
{
    new DateBox(edit, false);
}

void DateBox::bindWeekdayLabel(QLineEdit *edit, QLabel *label, const Clock *clock)
{
    QPointer<QLabel> target(label);
    auto update = [edit, target, clock] {
        if (!target)
            return;
        const QDate today = clock ? clock->today() : QDate::currentDate();
        target->setText(DateUtil::weekdayName(DateUtil::parseDate(edit->text(), today)));
    };
    connect(edit, &QLineEdit::textChanged, label, update);
    update();
}

void DateBox::SelectAllText(QLineEdit *edit)
{
    if (!edit->text().isEmpty())
        edit->setSelection(0, int(edit->text().size()));
}

void DateBox::NoteBackspace(int key)
{
    MainModule::LastKeyBackspace = key == Qt::Key_Backspace;
}

bool DateBox::InsertDateSlash(QLineEdit *edit)
{
    if (MainModule::LastKeyBackspace)
        return false;
    bool inserted = false;
    if (edit->text().size() == 2) {
        edit->setText(edit->text() + QLatin1Char('/'));
        edit->setCursorPosition(3);
        inserted = true;
    }
    if (edit->text().size() == 5) {
        edit->setText(edit->text() + QLatin1Char('/'));
        edit->setCursorPosition(6);
        inserted = true;
    }
    return inserted;
}

bool DateBox::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_edit)
        return false;
    switch (event->type()) {
    case QEvent::FocusIn: {
        SelectAllText(m_edit);
        // A mouse click that gave the focus would place the caret afterwards: select again then.
        QPointer<QLineEdit> edit(m_edit);
        QTimer::singleShot(0, m_edit, [edit] {
            if (edit && edit->hasFocus())
                SelectAllText(edit);
        });
        break;
    }
    case QEvent::KeyPress: {
        if (!m_dateRules)
            break;
        const auto *key = static_cast<QKeyEvent *>(event);
        NoteBackspace(key->key());
        // A user who types the slashes too would get two: the one put in already stands for it.
        if (key->text() == QLatin1String("/") && m_caretAfterInsertedSlash == m_edit->cursorPosition()
            && !m_edit->hasSelectedText()) {
            m_caretAfterInsertedSlash = -1;
            return true;
        }
        break;
    }
    case QEvent::FocusOut:
        if (m_dateRules) {
            MainModule::LastKeyBackspace = true;
            m_caretAfterInsertedSlash = -1;
        }
        break;
    default:
        break;
    }
    return false;
}
