#pragma once

// Backup and restore of the database file. A backup is a consistent copy read through the engine
// (another program may go on using the database), written beside its target, synced, checked and
// only then renamed over the earlier backup. A restore checks the file it is given as a whole
// (stamp, layout version, the engine's full check, every table and column) without creating
// anything beside it, copies it beside the database, checks the copy, and puts it in place; the
// replaced database is kept as Miravel.before-restore until the next start.

#include <QString>

namespace maint {

// The backup file of a folder typed by the user: the folder, "\" unless it ends with one, then
// "Miravel.mdb" ("D:" and "D:\" both give "D:\Miravel.mdb"), in the settings' "\" form.
QString BackupFileOf(const QString &folder);

// The folder box's text when the window opens: BackPath, or "C:\" when it is empty.
QString InitialBackupFolder(const QString &backPath);

// Where a restore keeps the database it replaces: the database path without its last three
// characters, followed by "before-restore".
QString BeforeRestorePathOf(const QString &dbPath);

// Copies dbPath to target. False with a description in *error.
bool BackUpDatabase(const QString &dbPath, const QString &target, QString *error);

// Empty when source is a whole database of this program that this version can use; else the
// message to show.
QString RestoreRefusal(const QString &source);

// Puts a copy of source in place of dbPath after the checks of RestoreRefusal; dbPath is untouched
// when a check or the copy fails, or when another program uses the database. dbPath may be missing
// or broken (the start-up's restore of the compaction backup). False with a description in *error.
bool RestoreDatabase(const QString &source, const QString &dbPath, QString *error);

} // namespace maint
