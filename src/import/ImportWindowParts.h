#pragma once

// Pieces the import, weekly, margin and recalculation windows share: the Progress port bound to a
// window's LabFileName/LabPa labels, date boxes, and the way a failed range check is shown.

#include "base/Ports.h"
#include "import/ImportWindowLogic.h"
#include "ui/WindowHelpers.h"

#include <QPointer>
#include <QPushButton>

#include <type_traits>
#include <utility>

class QLabel;
class QLineEdit;
class QWidget;

namespace importer {

// named<T>(...) comes from ui/WindowHelpers.h.
using ::named;

// Shows the phase and the percentage on the window's labels, repainting them at once. When the
// window yields, pending events run (labels repaint, clicks are answered); busy is kept in a flag
// the window reads.
class LabelProgress final : public Progress
{
public:
    LabelProgress(QLabel *phase, QLabel *percent, bool yields);
    void setPhase(const QString &text) override;
    void setPercent(const QString &text) override;
    void setCaption(const QString &text) override;
    void yield() override;
    void setBusy(bool busy) override { m_busy = busy; }
    bool busy() const { return m_busy; }
    // The window whose caption shows the percentage (the main window during a registration import).
    void setCaptionWindow(QWidget *window) { m_captionWindow = window; }

private:
    QPointer<QLabel> m_phase;
    QPointer<QLabel> m_percent;
    QPointer<QWidget> m_captionWindow;
    bool m_yields;
    bool m_busy = false;
};

// Makes edit a date box: the common date-box behaviour, full-width digits turned into half-width
// ones as they are typed or pasted, a length that fits a date, and the weekday name of its date
// shown on label.
void SetUpDateBox(QLineEdit *edit, QLabel *weekdayLabel, const Clock *clock);

// Shows the message of a failed check and moves the focus to the box it names.
void ShowRangeProblem(Prompt &prompt, RangeCheck check, QLineEdit *firstBox, QLineEdit *lastBox);

// The stepping buttons of the weekly and margin windows: the box becomes the neighbouring Monday
// (toFriday false) or Friday in the chosen direction; a box without a date shows the wrong-date
// message and gets the focus.
void StepWeekBox(Prompt &prompt, QLineEdit *box, bool toFriday, bool forward, const Clock *clock);

// The period the weekly and margin windows show on opening, from the last stored daily date.
void ShowOpeningWeekPeriod(QLineEdit *first, QLineEdit *last, Prompt *prompt, const Clock *clock);

// today from the clock of the services (the system date without one).
QDate TodayOf(const Clock *clock);

} // namespace importer
