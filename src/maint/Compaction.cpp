#include "maint/Compaction.h"

#include "db/Database.h"

#include <QFile>
#include <QFileInfo>

namespace maint {

namespace {

bool fail(QString *errorText, const QString &text)
{
    if (errorText)
        *errorText = text;
    return false;
}

QString sqlText(const QString &text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

} // namespace

QString OldDbPathOf(const QString &dbPath)
{
    return dbPath.left(dbPath.size() - 3) + QStringLiteral("old");
}

bool CompactDatabase(const QString &dbPath, QString *errorText)
{
    const QString oldPath = OldDbPathOf(dbPath);
    try {
        db::Database::closeAll(); // no connection kept for reuse may hold either file
        if (!QFileInfo::exists(dbPath))
            return fail(errorText, QStringLiteral("%1 が見つかりません。").arg(dbPath));
        {
            db::Database database(dbPath);
            database.checkpoint(); // the file alone holds the whole database before it is renamed
        }
        db::Database::closeAll();
        for (const QString &p : {oldPath, oldPath + QStringLiteral("-wal"), oldPath + QStringLiteral("-shm")}) {
            if (QFileInfo::exists(p) && !QFile::remove(p))
                return fail(errorText, QStringLiteral("%1 を削除できません。").arg(p));
        }
        QFile::remove(dbPath + QStringLiteral("-shm"));
        if (!QFile::rename(dbPath, oldPath))
            return fail(errorText, QStringLiteral("%1 の名前を変更できません。").arg(dbPath));
        try {
            db::Database old(oldPath);
            old.executeRaw(QStringLiteral("VACUUM INTO %1;").arg(sqlText(dbPath)));
        } catch (const db::DbError &) {
            QFile::remove(dbPath);
            throw;
        }
        db::Database::closeAll();
    } catch (const db::DbError &e) {
        return fail(errorText, e.description());
    }
    // The backup is left as a plain file without its log companions.
    QFile::remove(oldPath + QStringLiteral("-shm"));
    return true;
}

} // namespace maint
