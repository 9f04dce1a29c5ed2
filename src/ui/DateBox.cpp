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
        connect(edit, &QLineEdit::textChanged, this, [this] { InsertDateSlash(m_edit); });
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

void DateBox::InsertDateSlash(QLineEdit *edit)
{
    if (MainModule::LastKeyBackspace)
        return;
    if (edit->text().size() == 2) {
        edit->setText(edit->text() + QLatin1Char('/'));
        edit->setCursorPosition(3);
    }
    if (edit->text().size() == 5) {
        edit->setText(edit->text() + QLatin1Char('/'));
        edit->setCursorPosition(6);
    }
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
    case QEvent::KeyPress:
        if (m_dateRules)
            NoteBackspace(static_cast<QKeyEvent *>(event)->key());
        break;
    case QEvent::FocusOut:
        if (m_dateRules)
            MainModule::LastKeyBackspace = true;
        break;
    default:
        break;
    }
    return false;
}
