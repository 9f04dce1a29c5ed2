#include "maint/Backup.h"

#include "db/Database.h"

#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <filesystem>
#include <system_error>

namespace maint {

namespace {

QString companion(const QString &path, const char *suffix)
{
    return path + QString::fromLatin1(suffix);
}

// The copy is made beside the target first and renamed over it only when whole.
bool copyToTemporary(const QString &source, const QString &target, QString *error)
{
    const QString temporary = companion(target, ".part");
    QFile::remove(temporary);
    if (!QFileInfo::exists(source)) {
        *error = QStringLiteral("%1 が見つかりません。").arg(source);
        return false;
    }
    if (!QFile::copy(source, temporary)) {
        QFile::remove(temporary);
        *error = QStringLiteral("%1 を %2 に書き込めません。").arg(source, target);
        return false;
    }
    return true;
}

bool renameOver(const QString &target, QString *error)
{
    const QString temporary = companion(target, ".part");
    std::error_code ec;
    std::filesystem::rename(std::filesystem::path(temporary.toStdU16String()),
                            std::filesystem::path(target.toStdU16String()), ec);
    if (ec) {
        QFile::remove(temporary);
        *error = QStringLiteral("%1 に書き込めません。(%2)").arg(target, QString::fromLocal8Bit(ec.message().c_str()));
        return false;
    }
    return true;
}

// True when the file opens read-only and holds our issue table.
bool opens(const QString &path)
{
    sqlite3 *handle = nullptr;
    const QByteArray p = path.toUtf8();
    bool ok = sqlite3_open_v2(p.constData(), &handle, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK;
    if (ok) {
        sqlite3_stmt *statement = nullptr;
        ok = sqlite3_prepare_v2(handle, "select count(*) from sqlite_master where type='table' and name like 'Mei'", -1,
                                &statement, nullptr) == SQLITE_OK
             && sqlite3_step(statement) == SQLITE_ROW && sqlite3_column_int(statement, 0) == 1;
        sqlite3_finalize(statement);
    }
    sqlite3_close_v2(handle);
    return ok;
}

// Closes the connections kept for reuse, so that no log holds pages the file lacks.
bool closeConnections(QString *error)
{
    try {
        db::Database::closeAll();
        return true;
    } catch (const db::DbError &e) {
        *error = e.description();
        return false;
    }
}

} // namespace

QString BackupFileOf(const QString &folder)
{
    QString text = folder;
    if (!text.endsWith(QLatin1Char('\\')) && !text.endsWith(QLatin1Char('/')))
        text += QLatin1Char('\\');
    return text + QStringLiteral("Miravel.mdb");
}

QString InitialBackupFolder(const QString &backPath)
{
    return backPath.isEmpty() ? QStringLiteral("C:\\") : backPath;
}

bool BackUpDatabase(const QString &dbPath, const QString &target, QString *error)
{
    if (!closeConnections(error)) // closing writes the log back, so the file alone is the database
        return false;
    if (QFileInfo::exists(companion(dbPath, "-wal")) && QFileInfo(companion(dbPath, "-wal")).size() > 0) {
        *error = QStringLiteral("データベースが使用中です。しばらくしてからやり直して下さい。");
        return false;
    }
    return copyToTemporary(dbPath, target, error) && renameOver(target, error);
}

QString RestoreRefusal(const QString &source)
{
    if (!QFileInfo::exists(source))
        return QStringLiteral("%1 が見つかりません。").arg(source);
    if (!db::Database::isOwnDatabase(source) || !opens(source))
        return QStringLiteral("%1 はミラベルのデータベースではないか、壊れています。復元しませんでした。").arg(source);
    return QString();
}

bool RestoreDatabase(const QString &source, const QString &dbPath, QString *error)
{
    const QString refusal = RestoreRefusal(source);
    if (!refusal.isEmpty()) {
        *error = refusal;
        return false;
    }
    if (!closeConnections(error) || !copyToTemporary(source, dbPath, error))
        return false;
    // The log of the database being replaced must never be replayed into the restored file.
    QFile::remove(companion(dbPath, "-wal"));
    QFile::remove(companion(dbPath, "-shm"));
    return renameOver(dbPath, error);
}

} // namespace maint
