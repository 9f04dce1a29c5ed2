#include "maint/Backup.h"

#include "db/Connection.h"
#include "db/Database.h"
#include "db/DatabaseFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <memory>

namespace maint {

namespace {

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

bool sameFile(const QString &a, const QString &b)
{
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}

// Copies the database as one consistent snapshot into `copy` through the engine's backup, page by
// page, and gives the snapshot's size in pages.
qint64 snapshotInto(const QString &dbPath, const QString &copy)
{
    db::Database source(dbPath);
    source.executeRaw(QStringLiteral("BEGIN")); // the size and the copy see the same snapshot
    const qint64 pages = source.scalarRaw(QStringLiteral("PRAGMA page_count")).toLongLong();
    sqlite3 *h = nullptr;
    const int rc = sqlite3_open_v2(copy.toUtf8().constData(), &h, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                                   nullptr);
    db::Connection target(copy, h);
    if (rc != SQLITE_OK)
        target.fail(rc, copy);
    // No journal and no sync per page while the copy grows under its temporary name: a copy cut
    // short is never used, and the whole file is synced once it is complete.
    char *message = nullptr;
    const int fast = sqlite3_exec(h, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF", nullptr, nullptr, &message);
    sqlite3_free(message);
    if (fast != SQLITE_OK)
        target.fail(fast, copy);
    sqlite3_backup *backup = sqlite3_backup_init(h, "main", source.handle(), "main");
    if (!backup)
        target.fail(sqlite3_errcode(h), copy);
    sqlite3_backup_step(backup, -1);
    const int finished = sqlite3_backup_finish(backup);
    if (finished != SQLITE_OK)
        target.fail(finished, copy);
    // A plain file on its own: no log companion is needed to read it.
    const int mode = sqlite3_exec(h, "PRAGMA journal_mode=DELETE", nullptr, nullptr, &message);
    sqlite3_free(message);
    if (mode != SQLITE_OK)
        target.fail(mode, copy);
    target.close();
    source.executeRaw(QStringLiteral("COMMIT"));
    return pages;
}

// Fails unless the copy is synced and, checked to the depth given, matches its source: the same
// number of pages for a page-by-page copy, the same rows in every table otherwise.
void checkCopy(const QString &copy, db::CheckDepth depth, const db::FileCheck &source)
{
    if (!db::SyncFile(copy))
        throw db::DbError(db::ErrorNumber::DiskError, QStringLiteral("%1 に書き込めません。").arg(shown(copy)));
    const db::FileCheck check = db::CheckDatabaseFile(copy, depth);
    if (!check.ok())
        throw db::DbError(db::ErrorNumber::DiskError, check.refusal);
    if (check.pageCount != source.pageCount || (depth != db::CheckDepth::Layout && check.rows != source.rows))
        throw db::DbError(db::ErrorNumber::DiskError, QStringLiteral("%1 が元のデータベースと一致しません。").arg(shown(copy)));
}

// A plain copy of a file no connection holds, through a temporary name.
void copyFile(const QString &from, const QString &to)
{
    QFile::remove(to);
    QFile source(from);
    QFile target(to);
    const auto failed = [&](const QString &path) {
        target.close();
        QFile::remove(to);
        return db::DbError(db::ErrorNumber::DiskError, QStringLiteral("%1 を %2 に書き込めません。").arg(shown(from), shown(path)));
    };
    if (!source.open(QIODevice::ReadOnly) || !target.open(QIODevice::WriteOnly))
        throw failed(to);
    QByteArray chunk;
    while (!(chunk = source.read(1 << 20)).isEmpty()) {
        if (target.write(chunk) != chunk.size())
            throw failed(to);
    }
    if (source.error() != QFileDevice::NoError || !target.flush())
        throw failed(to);
    target.close();
    if (target.error() != QFileDevice::NoError)
        throw failed(to);
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
    if (!backPath.isEmpty())
        return backPath;
        // A folder that exists on the platform: the drive's root on Windows, the home folder elsewhere.
#if defined(Q_OS_WIN)
    return QStringLiteral("C:\\");
#else
    return QDir::toNativeSeparators(QDir::homePath() + QLatin1Char('/'));
#endif
}

QString BeforeRestorePathOf(const QString &dbPath)
{
    return dbPath.left(dbPath.size() - 3) + QStringLiteral("before-restore");
}

bool BackUpDatabase(const QString &dbPath, const QString &target, QString *error)
{
    if (sameFile(dbPath, target)) {
        *error = QStringLiteral("%1 はデータベースそのものです。別のフォルダにバックアップして下さい。").arg(shown(target));
        return false;
    }
    const QString part = target + QStringLiteral(".part");
    try {
        db::RemoveDatabaseFiles(part);
        db::FileCheck source;
        source.pageCount = snapshotInto(dbPath, part);
        checkCopy(part, db::CheckDepth::Layout, source);
        for (const char *companion : {"-wal", "-shm", "-journal"})
            QFile::remove(target + QLatin1String(companion)); // never read with the new backup
        db::RenameOver(part, target);
        return true;
    } catch (const db::DbError &e) {
        db::RemoveDatabaseFiles(part);
        *error = e.description();
        return false;
    }
}

QString RestoreRefusal(const QString &source)
{
    const db::FileCheck check = db::CheckDatabaseFile(source, db::CheckDepth::Full);
    return check.ok() ? QString() : check.refusal + QStringLiteral("\n復元しませんでした。");
}

bool RestoreDatabase(const QString &source, const QString &dbPath, QString *error)
{
    if (sameFile(source, dbPath)) {
        *error = QStringLiteral("%1 はデータベースそのものです。復元しませんでした。").arg(shown(source));
        return false;
    }
    const db::FileCheck check = db::CheckDatabaseFile(source, db::CheckDepth::Full);
    if (!check.ok()) {
        *error = check.refusal + QStringLiteral("\n復元しませんでした。");
        return false;
    }
    const QString part = dbPath + QStringLiteral(".restore");
    try {
        db::RemoveDatabaseFiles(part);
        try {
            copyFile(source, part);
            checkCopy(part, db::CheckDepth::Quick, check);
            std::unique_ptr<db::ExclusiveHold> hold;
            if (QFileInfo::exists(dbPath)) {
                try {
                    hold = std::make_unique<db::ExclusiveHold>(dbPath);
                } catch (const db::DbError &e) {
                    // A file that is no database of ours is replaced all the same, and kept.
                    if (e.number() != db::ErrorNumber::UnrecognizedFormat)
                        throw;
                }
            }
            db::PutReplacement(part, dbPath, BeforeRestorePathOf(dbPath), hold.get());
        } catch (const db::DbError &) {
            db::RemoveDatabaseFiles(part);
            throw;
        }
        return true;
    } catch (const db::DbError &e) {
        *error = e.description() + QStringLiteral("\n復元しませんでした。");
        return false;
    }
}

} // namespace maint
