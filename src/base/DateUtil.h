#pragma once

// Dates as the program types and shows them, weekday numbers and the Monday/Friday roundings.

#include <QDate>
#include <QDateTime>
#include <QString>

namespace DateUtil {

// Reads "YY/MM/DD", "YYYY/MM/DD", "YYYY-MM-DD" (and "-" or "/" mixed). A two-digit year lies in
// [this year - 80, this year + 19] of the given today. Invalid QDate when the text is not a date.
QDate parseDate(const QString &text, const QDate &today = QDate::currentDate());
bool isDate(const QString &text, const QDate &today = QDate::currentDate());
// A date typed to its end: two-digit month and day and a two- or four-digit year ("26/03/10", not
// "26/03/1", which is already a date while the user is still typing).
bool isCompleteDate(const QString &text, const QDate &today = QDate::currentDate());
// Expands a two-digit year with the window above.
int expandYear(int twoDigitYear, const QDate &today = QDate::currentDate());

QString formatYYMMDD(const QDate &date); // "00/07/14"
QString formatYYYYMMDD(const QDate &date); // "2000/07/14", the form our query texts use
QString formatIso(const QDate &date); // "2000-07-14"

// Sunday = 1 ... Saturday = 7.
int weekdayNumber(const QDate &date);
// "日曜日" ... "土曜日"; short form "日" ... "土".
QString weekdayName(const QDate &date);
QString weekdayShortName(const QDate &date);

QDate MondayOnOrBefore(const QDate &date);
QDate FridayOnOrBefore(const QDate &date);
QDate MondayOnOrAfter(const QDate &date);
QDate FridayOnOrAfter(const QDate &date);
// The same with a time part carried along unchanged.
QDateTime MondayOnOrBefore(const QDateTime &when);
QDateTime FridayOnOrBefore(const QDateTime &when);
QDateTime MondayOnOrAfter(const QDateTime &when);
QDateTime FridayOnOrAfter(const QDateTime &when);

} // namespace DateUtil
