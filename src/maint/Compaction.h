#pragma once

// Compaction of the database at the end of the program. The compacted copy is written beside the
// database, synced and checked (it opens, carries this program's stamp, passes the engine's check
// and holds as many rows in every table as the database), and only then do the names change: the
// database becomes the compaction backup (Miravel.mdb -> Miravel.old) and the copy the database.
// At every instant Miravel.mdb is a whole database and Miravel.old a whole backup.

#include "db/DatabaseFile.h"

#include <QString>

namespace maint {

// The database path without its last three characters, followed by "old".
QString OldDbPathOf(const QString &dbPath);

// Compacts dbPath, keeping the database before compaction as its compaction backup. False with a
// description in errorText when a step failed; the database and the earlier backup are then as
// they were. `seam` (tests) may stop it after a step as a killed process would stop.
bool CompactDatabase(const QString &dbPath, QString *errorText = nullptr, const db::StepSeam &seam = {});

} // namespace maint
