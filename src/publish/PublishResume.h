#pragma once

// Where a publishing run without a first day begins: the first day of the tree that is not whole.

#include "db/Database.h"

#include <QDate>
#include <QDir>
#include <QString>

namespace publish {

// The last day up to which every day of the tree is known to be whole: found so by reading its
// files, or written by runs of this publisher that went through. Its files are then only looked for:
// they were written whole. A tree of an older version, which could cut files short, has none and is
// read through once.
inline const QString CheckedThroughFile = QStringLiteral(".previous/checked-through");

// The day read from CheckedThroughFile; invalid when there is none.
QDate checkedThrough(const QDir &root);

// See PublishRequest::from. Temporary files that a killed run left in the tree are removed.
QDate resumeDay(db::Database &database, const QDir &root, const QDate &firstStored, const QDate &lastStored, const QDate &to,
                const QDate &checked);

} // namespace publish
