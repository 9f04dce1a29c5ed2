#include "maint/Compaction.h"

#include "db/Database.h"

#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

namespace maint {

namespace {

bool fail(QString *errorText, const QString &text)
{
    if (errorText)
        *errorText = text;
    return false;
}

// Opens a file with SQLite itself (not through the program's layer, which would recreate
// nothing but also checks the file); the handle closes on scope exit.
class RawHandle final
{
public:
    explicit RawHandle(const QString &path)
    {
        const QByteArray p = path.toUtf8();
        m_rc = sqlite3_open_v2(p.constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr);
    }
    ~RawHandle() { sqlite3_close_v2(m_db); }
    RawHandle(const RawHandle &) = delete;
    RawHandle &operator=(const RawHandle &) = delete;

    bool ok() const { return m_rc == SQLITE_OK; }
    QString error() const { return m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QStringLiteral("out of memory"); }
    bool exec(const QString &sql, QString *errorText)
    {
        char *message = nullptr;
        const int rc = sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &message);
        if (rc != SQLITE_OK) {
            if (errorText)
                *errorText = message ? QString::fromUtf8(message) : error();
            sqlite3_free(message);
            return false;
        }
        return true;
    }

private:
    sqlite3 *m_db = nullptr;
    int m_rc = SQLITE_ERROR;
};

QString sqlText(const QString &text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

// Folds a write-ahead log into the file, so that the file alone holds the whole database.
bool foldLog(const QString &path, QString *errorText)
{
    if (!QFileInfo::exists(path + QStringLiteral("-wal")))
        return true;
    RawHandle db(path);
    if (!db.ok())
        return fail(errorText, db.error());
    return db.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE);"), errorText);
}

} // namespace

QString OldDbPathOf(const QString &dbPath)
{
    return dbPath.left(dbPath.size() - 3) + QStringLiteral("old");
}

bool CompactDatabase(const QString &dbPath, QString *errorText)
{
    const QString oldPath = OldDbPathOf(dbPath);
    db::Database::closeAll(); // no connection kept for reuse may hold either file
    if (!QFileInfo::exists(dbPath))
        return fail(errorText, QStringLiteral("%1 が見つかりません。").arg(dbPath));
    if (!foldLog(dbPath, errorText))
        return false;
    for (const QString &p : {oldPath, oldPath + QStringLiteral("-wal"), oldPath + QStringLiteral("-shm")}) {
        if (QFileInfo::exists(p) && !QFile::remove(p))
            return fail(errorText, QStringLiteral("%1 を削除できません。").arg(p));
    }
    QFile::remove(dbPath + QStringLiteral("-shm"));
    if (!QFile::rename(dbPath, oldPath))
        return fail(errorText, QStringLiteral("%1 の名前を変更できません。").arg(dbPath));
    if (!QFileInfo::exists(oldPath))
        return fail(errorText, QStringLiteral("%1 が見つかりません。").arg(oldPath));

    QString error;
    {
        RawHandle old(oldPath);
        if (!old.ok())
            return fail(errorText, old.error());
        if (!old.exec(QStringLiteral("VACUUM INTO %1;").arg(sqlText(dbPath)), &error)) {
            QFile::remove(dbPath);
            return fail(errorText, error);
        }
    }
    // The backup is left as a plain file without its log companions.
    QFile::remove(oldPath + QStringLiteral("-shm"));
    return true;
}

} // namespace maint
