#include "maint/IssueCheck.h"

#include "base/Ports.h"
#include "db/Database.h"
#include "db/Schema.h"
#include "maint/LongWork.h"

#include <QSet>

#include <optional>

namespace maint {

namespace {

// The distinct codes of a price table, one index seek per code instead of a pass over every row.
std::vector<qint64> codesOf(db::Database &database, const QString &table, Progress &progress)
{
    std::vector<qint64> codes;
    QVariant next = database.scalar(QStringLiteral("select min(コード) from %1").arg(table));
    while (next.isValid() && !next.isNull()) {
        codes.push_back(next.toLongLong());
        progress.yield();
        next = database.scalar(QStringLiteral("select min(コード) from %1 where コード>?").arg(table), {codes.back()});
    }
    return codes;
}

} // namespace

void ClearWorkList(const QString &dbPath)
{
    db::Database database(dbPath);
    database.execute(QStringLiteral("delete * from wrkMei;"));
    database.close();
}

std::vector<qint64> CompareIssues(const QString &dbPath, const QString &priceTable, IssueCheck check, Progress &progress)
{
    db::Database database(dbPath);
    std::optional<YieldDuringQueries> yielding(std::in_place, database, progress);
    database.execute(QStringLiteral("delete * from wrkMei;"));

    std::vector<qint64> registered;
    {
        db::Recordset rs = database.openRecordset(QStringLiteral("select コード from Mei order by コード ;"));
        for (; !rs.eof(); rs.moveNext())
            registered.push_back(rs.toLong(QStringLiteral("コード")));
    }
    std::vector<qint64> found;
    if (check == IssueCheck::PricesWithoutRegistration) {
        const QSet<qint64> known(registered.begin(), registered.end());
        for (const qint64 code : codesOf(database, priceTable, progress)) {
            if (!known.contains(code))
                found.push_back(code);
        }
    } else {
        for (const qint64 code : registered) {
            const QVariant any = database.scalar(QStringLiteral("SELECT top 1 コード From %1 where コード=? ;").arg(priceTable), {code});
            if (!any.isValid())
                found.push_back(code);
            progress.yield();
        }
    }
    db::WriteBatch batch(database);
    db::Recordset work = database.openRecordset(QStringLiteral("wrkMei"), db::RecordsetType::Table);
    for (const qint64 code : found) {
        work.addNew();
        work.setValue(QStringLiteral("コード"), code);
        work.update();
    }
    work.close();
    batch.finish();
    yielding.reset();
    database.close();
    return found;
}

void DeleteCodeData(const QString &dbPath, qint64 code, Progress &progress)
{
    db::Database database(dbPath);
    {
        YieldDuringQueries yielding(database, progress);
        db::WriteBatch batch(database);
        db::DeleteIssueRows(database, QStringLiteral(" where コード=?;"), {code});
        database.execute(QStringLiteral("delete * from wrkMei where コード=?;"), {code});
        batch.finish();
    }
    database.close();
}

void DeleteCodeRegistration(const QString &dbPath, qint64 code)
{
    db::Database database(dbPath);
    db::WriteBatch batch(database);
    database.execute(QStringLiteral("delete * from Mei where コード=?;"), {code});
    database.execute(QStringLiteral("delete * from wrkMei where コード=?;"), {code});
    batch.finish();
    database.close();
}

} // namespace maint
