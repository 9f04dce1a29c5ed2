#pragma once

// The behaviour every date entry box shares, attached to any QLineEdit:
//   SelectAllText   on focus-in: a non-empty text is selected whole;
//   NoteBackspace   on key press: LastKeyBackspace = (the key is Backspace);
//   InsertDateSlash on change: unless LastKeyBackspace, a text of 2 characters gets "/" (caret 3),
//                   then a text of 5 characters gets "/" (caret 6): 000101 types as 00/01/01;
//                   a "/" typed right after the slash just put in is swallowed, so 00/01/01
//                   typed with its slashes stays 00/01/01;
//   LostFocus       on focus-out: LastKeyBackspace = true, so text set by code gets no slashes.
// The text boxes of the option and import windows take only SelectAllText (attachSelectAll).

#include <QObject>

class QDate;
class QLabel;
class QLineEdit;
class Clock;

class DateBox final : public QObject
{
    Q_OBJECT

public:
    // Makes edit a date box; the behaviour lives as long as the edit.
    static DateBox *attach(QLineEdit *edit);
    // Only the select-all-on-focus behaviour.
    static void attachSelectAll(QLineEdit *edit);
    // Shows the weekday name ("月曜日") of the date in edit on label, or nothing when the text is not
    // a date. clock decides the two-digit-year window (the system date when null).
    static void bindWeekdayLabel(QLineEdit *edit, QLabel *label, const Clock *clock = nullptr);

    // The routines under their own names, for windows that call them directly.
    static void SelectAllText(QLineEdit *edit);
    static void NoteBackspace(int key);
    // True when a slash was put in.
    static bool InsertDateSlash(QLineEdit *edit);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    DateBox(QLineEdit *edit, bool dateRules);
    QLineEdit *m_edit;
    bool m_dateRules;
    int m_caretAfterInsertedSlash = -1; // -1 unless the last change put a slash in
};
