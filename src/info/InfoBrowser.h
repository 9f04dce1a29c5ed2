#pragma once

// The information browser's record sources and actions: the kinds, the dates of a kind, a day's
// ranking joined with the issue master, the narrowing by price and volume, the current prices
// against the newest daily close, the issue list, the deletions and the clean-up of old rankings.
// Kind codes reach the query texts only as quoted text.

#include <QDate>
#include <QString>
#include <QStringList>

namespace info {

QString KindsSource(); // select * from informationClass order by 表示順
QString DatesSource(const QString &kind); // 種類コード, 日付, コメント of the kind, newest first

// The ranking of one date, or of a range of dates, in rank order; an empty kind or a date that is
// not one matches nothing.
QString RankingSource(const QString &kind, const QDate &first, const QDate &last);

// The narrowed form of the ranking source now shown: at most priceLimit yen and, when minVolume is
// a number above 0, at least that volume. A range view keeps its range, a current-price view stays
// one; a narrowing replaces an earlier one. pickedDate is the date grid's date; without a kind, or
// without a date outside a range view (a kind that has none), the narrowed source matches nothing.
QString NarrowedSource(const QString &shown, const QString &kind, const QDate &pickedDate, const QString &priceLimit,
                       const QString &minVolume);

// True when the text is a number as the browser's boxes take it.
bool IsNumberText(const QString &text);

// Sets 現株価 to the newest daily close and 現比 to its change in per cent against 株価 (cut toward
// zero to one decimal; 0 when 株価 is 0) on every row of the kind from first to last whose issue
// has a close. Returns the rows changed. Throws db::DbError.
int UpdateCurrentPrices(const QString &databasePath, const QString &kind, const QDate &first, const QDate &last);

// The current-price view: rows with 現比 above 0, best first; narrowed as the shown source was.
QString CurrentPriceSource(const QString &kind, const QDate &first, const QDate &last, bool narrowed,
                           const QString &priceLimit, const QString &minVolume);

// The oldest of the newest `count` dates of the kind up to picked (the oldest stored when fewer).
// Throws db::DbError.
QDate FirstOfLastDates(const QString &databasePath, const QString &kind, const QDate &picked, int count);

// The main window's issue list entries ("1301 東１ 極洋") of a ranking source in its order; a range
// view lists an issue once. Throws db::DbError.
QStringList IssueListEntries(const QString &databasePath, const QString &source);

// Throws db::DbError.
void DeleteRankingDate(const QString &databasePath, const QString &kind, const QDate &date);
void DeleteKind(const QString &databasePath, const QString &kind);

// The reference date of the clean-up: the newest ranking date, today when there is none.
QDate NewestRankingDate(const QString &databasePath, const QDate &today);
// Daily rankings older than `days` before the reference date, or weekly ones older than 7 × days.
bool HasOldRankings(const QString &databasePath, const QDate &reference, int days);
void DeleteOldRankings(const QString &databasePath, const QDate &reference, int days);
QString OldRankingsQuestion(int days);

} // namespace info
