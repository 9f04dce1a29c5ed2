#include "maint/IssueDeletion.h"

#include "db/Database.h"
#include "db/Schema.h"

#include <vector>

namespace maint {

namespace {

const QString IssueCondition = QStringLiteral(" where コード=? ;");

} // namespace

QString UnupdatedIssuesSource()
{
    return QStringLiteral("select * from Mei where 更新Flg=False order by コード,市場コード;");
}

void DeleteIssue(const QString &databasePath, qint64 code)
{
    db::Database database(databasePath);
    db::WriteBatch batch(database);
    db::DeleteIssueRows(database, IssueCondition, {code});
    batch.finish();
    database.close();
}

int DeleteUnupdatedIssues(const QString &databasePath)
{
    db::Database database(databasePath);
    // The codes are read first: the deletions remove the very rows the list walks over.
    std::vector<qint64> codes;
    {
        db::Recordset rs = database.openRecordset(UnupdatedIssuesSource());
        for (; !rs.eof(); rs.moveNext())
            codes.push_back(rs.toLong(QStringLiteral("コード")));
        rs.close();
    }
    db::WriteBatch batch(database);
    int deleted = 0;
    for (const qint64 code : codes) {
        db::DeleteIssueRows(database, IssueCondition, {code});
        batch.commit();
        ++deleted;
    }
    batch.finish();
    database.close();
    return deleted;
}

} // namespace maint
