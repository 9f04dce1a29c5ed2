#pragma once

// The information issue search: every ranking row of one issue, with the kind's name and display
// order, in date order or in kind order.

#include <QString>
#include <QStringList>

namespace info {

enum class SearchOrder
{
    ByDate = 1,
    ByKind = 2
};

// The query of the search: all kinds when kind is empty (or "ALL"), else the one kind.
QString IssueSearchSource(qint64 code, const QString &kind, SearchOrder order);

// The kinds the search offers (codes not beginning with "S"), in display order: names and codes
// position for position. Throws db::DbError.
struct SearchKinds
{
    QStringList names;
    QStringList codes;
};
SearchKinds OfferedKinds(const QString &databasePath);

} // namespace info
