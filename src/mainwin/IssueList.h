#pragma once

// The issue list of the main window and the issue search: which issues a typed code or a part of a
// name lists, the texts of their entries, and the rules of refilling and removing entries.

#include <QString>
#include <QStringList>

namespace mainwin {

// Below this many entries a short list stays in place while the third and fourth digit are typed.
constexpr int ShortListLimit = 35;

// Full-width digits (as typed with the input method on) become ASCII digits; other text is kept.
QString normalizedCodeText(const QString &text);

// True when listing issues by code goes on to query: the prefix has at most 2 characters, or the list is
// empty, or it holds ShortListLimit entries or more.
bool listNeedsRefill(const QString &prefix, int listCount);

// "select コード, 市場コード, 銘柄 from Mei where コード between 7200 and 7299 order by ..." for a numeric
// prefix of 1 to 4 digits; empty for any other prefix.
QString issueListQuery(const QString &prefix);

// The search window's entry: the parts of ui::issueListEntry separated by two ideographic spaces.
QString searchListEntry(qint64 code, int market, const QString &name);

// Runs issueListQuery against the database file; an empty list for a prefix that is not numeric.
// Throws db::DbError.
QStringList IssuesByCode(const QString &dbPath, const QString &prefix);

// The entries of a list as the registration now stands: each entry whose code is still registered,
// written again from the registration (market and name may have changed), in the list's order.
// Throws db::DbError.
QStringList EntriesStillRegistered(const QString &dbPath, const QStringList &entries);

// The prefix the list is filled from once the stored issues changed: the code box's first two
// digits, else "1" as when the window opens; when nothing is registered under it, the first digit
// of the smallest registered code. Throws db::DbError.
QString listPrefixAfterChange(const QString &dbPath, const QString &codeBoxText);

// Text as the issue search compares it: full- and half-width forms alike (NFKC: "ﾄﾖﾀ" and "トヨタ",
// "ＡＢＣ" and "abc"), letter case ignored.
QString foldedForSearch(const QString &text);
// The search window's entries whose name contains text ("*" and "?" are wildcards, as in the
// like-search), compared folded; in market and code order. Throws db::DbError.
QStringList IssuesByName(const QString &dbPath, const QString &text);

// The question asked before an entry leaves the list.
QString removeFromListQuestion(const QString &entry);
// The entry selected after removing entry removedIndex: the one before it, or the first when the
// removed one was first; -1 when the list is now empty.
int selectionAfterRemoval(int removedIndex, int remainingCount);

} // namespace mainwin
