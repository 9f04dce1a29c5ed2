#pragma once

// Compaction of the database at the end of the program: the file before compaction is kept beside
// it as the compaction backup (Miravel.mdb -> Miravel.old), and a compact copy of it becomes the new
// database file.

#include <QString>

namespace maint {

// The database path without its last three characters, followed by "old".
QString OldDbPathOf(const QString &dbPath);

// Deletes an earlier compaction backup, renames dbPath to the backup, and writes a compacted copy
// of the backup to dbPath. False with a description in errorText when a step failed; dbPath may
// then be missing while the backup holds the data.
bool CompactDatabase(const QString &dbPath, QString *errorText = nullptr);

} // namespace maint
