#pragma once

// The rules of the import, weekly and margin windows that do not need a window: the dates they
// propose on opening, the stepping buttons, the checks of a typed date range, and the converter.

#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>

namespace importer {

// The newest 日付 of a price table ("daydata" or "weekdata") of the database file; nothing when the
// table is empty. Throws db::DbError.
std::optional<QDate> LastStoredDay(const QString &databasePath, const QString &table = QStringLiteral("daydata"));

// True when Mei has issues with 更新Flg False (the ones the last price import did not mark).
// Throws db::DbError.
bool HasUnupdatedIssues(const QString &databasePath);

// What frmReadData shows on opening.
struct ImportProposal
{
    QDate first; // ReadDateji
    QDate last; // ReadDateitaru
    bool readMargin = false; // ChkShinyo
    bool buildWeekly = false; // ChkMakeSyu
};

// The range that follows the last stored day: the day after it (the Monday after it when that day
// is a Saturday) up to today, or the first day alone when it lies after today; today alone for an
// empty table. ChkMakeSyu takes the MakeSyu setting when the first day is a Friday. ReadSinyo
// "水曜"/"木曜"/"金曜" on that weekday today ticks ChkShinyo and makes the range one day; any other
// value but those three clears it.
ImportProposal ProposeImportRange(const std::optional<QDate> &lastStored, const QDate &today,
                                  const QString &readSinyo, int makeSyu, bool readMarginBefore = false);

// The period frmSyuMakeData and frmShinyoData show on opening: the first day is the last stored
// day itself when it is a Friday or Saturday, else the day after it, moved back to its Monday; the
// last day is the Friday on or after today, or after the first day when that lies after today.
// Today's week for an empty table.
struct WeekPeriod
{
    QDate first; // a Monday
    QDate last; // a Friday
};
WeekPeriod ProposeWeekPeriod(const std::optional<QDate> &lastStored, const QDate &today);

// The stepping buttons "月曜日付" and "金曜日付": the neighbouring Monday / Friday before (back) or
// after (forward) the date.
QDate StepToMonday(const QDate &date, bool forward);
QDate StepToFriday(const QDate &date, bool forward);

// A typed date: full-width digits, slashes and hyphens count as their half-width forms, blanks
// around it (full-width ones too) are ignored. Invalid when the text is not a date.
QString HalfWidthDateText(const QString &text);
QDate ParseBoxDate(const QString &text, const QDate &today);

// The checks of a typed range, in the order the windows make them.
enum class RangeCheck
{
    Ok,
    FirstNotDate, // "日付の入力が誤っています。", focus on the first box
    LastNotDate, // the same message, focus on the last box
    Reversed, // "日付の範囲が誤っています。", focus on the last box
    FirstNotMonday, // "期間自は必ず月曜日を指定して下さい。", focus on the first box
    LastNotFriday, // "期間至は必ず金曜日を指定して下さい。", focus on the last box
};
struct CheckedRange
{
    RangeCheck check = RangeCheck::Ok;
    QDate first;
    QDate last;
};
// weekRule adds the Monday/Friday checks of the weekly and margin windows.
RangeCheck CheckDates(const QDate &first, const QDate &last, bool weekRule);
CheckedRange CheckRange(const QString &firstText, const QString &lastText, const QDate &today, bool weekRule);
// The message of a failed check; empty for Ok.
QString RangeCheckMessage(RangeCheck check);
// True when the focus goes to the first box for this failure.
bool RangeCheckFocusesFirst(RangeCheck check);

// Messages shared by the windows.
QString WrongDateMessage(); // "日付の入力が誤っています。"
QString WrongRangeMessage(); // "日付の範囲が誤っています。"

// The external converter in the program folder: "Convt" or "Convt.exe"; empty when neither is there.
QString ConverterPath(const QString &programFolder);
// The converter's one argument: the two box texts joined by a comma ("00/07/10,00/07/14").
QString ConverterArgument(const QString &firstText, const QString &lastText);

} // namespace importer
