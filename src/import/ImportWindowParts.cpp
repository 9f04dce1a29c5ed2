#include "import/ImportWindowParts.h"

#include "base/DateUtil.h"
#include "base/MainModule.h"
#include "db/DbError.h"
#include "ui/DateBox.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>

namespace importer {

LabelProgress::LabelProgress(QLabel *phase, QLabel *percent, bool yields)
    : m_phase(phase), m_percent(percent), m_yields(yields)
{
}

void LabelProgress::setPhase(const QString &text)
{
    if (!m_phase)
        return;
    m_phase->setText(text);
    m_phase->repaint();
}

void LabelProgress::setPercent(const QString &text)
{
    if (!m_percent)
        return;
    m_percent->setText(text);
    m_percent->repaint();
}

void LabelProgress::setCaption(const QString &text)
{
    if (m_captionWindow)
        m_captionWindow->setWindowTitle(text);
}

void LabelProgress::yield()
{
    if (m_yields)
        QCoreApplication::processEvents();
}

void SetUpDateBox(QLineEdit *edit, QLabel *weekdayLabel, const Clock *clock)
{
    // "2000/07/14" is the longest date form a box takes; a long paste is cut to it.
    edit->setMaxLength(10);
    // Before the date-box behaviour, so that the slashes count half-width characters.
    QObject::connect(edit, &QLineEdit::textChanged, edit, [edit](const QString &text) {
        const QString half = HalfWidthDateText(text);
        if (half != text) {
            const int caret = edit->cursorPosition();
            edit->setText(half);
            // The date-box behaviour may have added a slash meanwhile; then the caret stays after it.
            if (edit->text() == half)
                edit->setCursorPosition(caret);
        }
    });
    DateBox::attach(edit);
    if (weekdayLabel)
        DateBox::bindWeekdayLabel(edit, weekdayLabel, clock);
}

void ShowRangeProblem(Prompt &prompt, RangeCheck check, QLineEdit *firstBox, QLineEdit *lastBox)
{
    prompt.inform(RangeCheckMessage(check));
    QLineEdit *target = RangeCheckFocusesFirst(check) ? firstBox : lastBox;
    target->setFocus();
    DateBox::SelectAllText(target);
}

void StepWeekBox(Prompt &prompt, QLineEdit *box, bool toFriday, bool forward, const Clock *clock)
{
    const QDate d = ParseBoxDate(box->text(), TodayOf(clock));
    if (!d.isValid()) {
        prompt.inform(WrongDateMessage());
        box->setFocus();
        return;
    }
    box->setText(DateUtil::formatYYMMDD(toFriday ? StepToFriday(d, forward) : StepToMonday(d, forward)));
}

void ShowOpeningWeekPeriod(QLineEdit *first, QLineEdit *last, Prompt *prompt, const Clock *clock)
{
    std::optional<QDate> stored;
    try {
        stored = LastStoredDay(MainModule::DBPath);
    } catch (const db::DbError &e) {
        if (prompt)
            prompt->inform(e.description(), QString(), PromptIcon::Critical);
    }
    const WeekPeriod period = ProposeWeekPeriod(stored, TodayOf(clock));
    first->setText(DateUtil::formatYYMMDD(period.first));
    last->setText(DateUtil::formatYYMMDD(period.last));
}

QDate TodayOf(const Clock *clock)
{
    return clock ? clock->today() : QDate::currentDate();
}

} // namespace importer
