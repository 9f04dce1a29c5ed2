#include "maint/Compaction.h"

#include "db/Database.h"

#include <QDir>
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

bool CompactDatabase(const QString &dbPath, QString *errorText, const db::StepSeam &seam)
{
    const QString compacted = dbPath + QStringLiteral(".compact");
    try {
        if (!QFileInfo::exists(dbPath))
            return fail(errorText, QStringLiteral("%1 が見つかりません。").arg(QDir::toNativeSeparators(dbPath)));
        // No other connection may write while the copy is made, or its rows would be lost in the swap.
        db::ExclusiveHold hold(dbPath);
        const db::RowCounts rows = db::CountRows(hold.handle());
        db::RemoveDatabaseFiles(compacted); // left by a compaction that was cut short
        try {
            // The compacted file takes the page size of a new file, whatever the old one had.
            hold.execute(QStringLiteral("PRAGMA page_size=%1").arg(db::FilePageSize));
            hold.execute(QStringLiteral("VACUUM INTO %1").arg(sqlText(compacted)));
            if (!db::SyncFile(compacted))
                throw db::DbError(db::ErrorNumber::DiskError,
                                  QStringLiteral("%1 に書き込めません。").arg(QDir::toNativeSeparators(compacted)));
            if (seam && !seam(db::ReplaceStep::Written))
                return false;
            const db::FileCheck check = db::CheckDatabaseFile(compacted, db::CheckDepth::Quick);
            if (!check.ok())
                throw db::DbError(db::ErrorNumber::UnrecognizedFormat, check.refusal);
            if (check.rows != rows)
                throw db::DbError(db::ErrorNumber::Other, QStringLiteral("最適化したデータベースの行数が元のデータベースと一致しません。"
                                                                         "最適化を取り止めました。"));
            if (seam && !seam(db::ReplaceStep::Checked))
                return false;
            return db::PutReplacement(compacted, dbPath, OldDbPathOf(dbPath), &hold, seam);
        } catch (const db::DbError &) {
            db::RemoveDatabaseFiles(compacted);
            throw;
        }
    } catch (const db::DbError &e) {
        return fail(errorText, e.description());
    }
}

} // namespace maint
