#pragma once

// Translates the legacy query dialect into SQLite. A real tokenizer: text inside quotes is never
// rewritten except the wildcards of LIKE patterns. A ? is a value bound when the query runs and is
// left as it is; inside a LIKE pattern its text matches as it stands (no wildcards).

#include <QDate>
#include <QString>

#include <memory>

namespace db {

struct TranslatedQuery
{
    QString sql; // SQLite text, without a trailing ';'
    bool isSelect = false;
    // For a select from one table without grouping, aggregates, DISTINCT or joins: the table and
    // the name its columns are qualified with (the alias when there is one). Empty otherwise.
    QString baseTable;
    QString baseQualifier;
    // Position in sql right after SELECT (where a rowid column can be inserted).
    int selectListStart = -1;
};

// today decides the two-digit-year window of date literals written "#YY/MM/DD#".
TranslatedQuery translate(const QString &legacySql, const QDate &today = QDate::currentDate());

// Cached translation (the same text is translated once). Shared, so that it stays valid while the
// cache changes.
std::shared_ptr<const TranslatedQuery> translateCached(const QString &legacySql);

// A value written as a date literal of our own query texts: "#2000/07/14#".
QString dateLiteral(const QDate &date);

// A text written as a quoted literal of the legacy dialect: 'it''s'.
QString quoteText(const QString &text);

} // namespace db
