#pragma once

// Backup and restore of the database file. Both are plain copies made with no connection open, so
// a backup and a database restored from it hold exactly the bytes of their source; the copy is
// written beside its target and renamed into place, so a failed copy never replaces a good file.
// A restore first checks that the file is a database of this program and opens.

#include <QString>

namespace maint {

// The backup file of a folder typed by the user: the folder, "\" unless it ends with one, then
// "Miravel.mdb" ("D:" and "D:\" both give "D:\Miravel.mdb"), in the settings' "\" form.
QString BackupFileOf(const QString &folder);

// The folder box's text when the window opens: BackPath, or "C:\" when it is empty.
QString InitialBackupFolder(const QString &backPath);

// Copies dbPath to target. False with a description in *error.
bool BackUpDatabase(const QString &dbPath, const QString &target, QString *error);

// Empty when source is a database of this program that opens; else the message to show.
QString RestoreRefusal(const QString &source);

// Copies source over dbPath after RestoreRefusal found nothing to refuse; dbPath is untouched when
// the check or the copy fails. False with a description in *error.
bool RestoreDatabase(const QString &source, const QString &dbPath, QString *error);

} // namespace maint
