#include "info/InfoSearch.h"

#include "db/Database.h"
#include "db/SqlTranslator.h"

namespace info {

QString IssueSearchSource(qint64 code, const QString &kind, SearchOrder order)
{
    // Every ranking row of the issue with its kind's name when the kind is still listed. The rows
    // lead the join, so that the issue's own index finds them: as the right side of a right join,
    // the condition on the code would only be applied after reading every row. The last order
    // terms keep equal dates in the order the right join listed them: kinds as they were stored,
    // kinds no longer listed last, each kind's rows as they were stored.
    QString sql = QStringLiteral(
        "SELECT A.表示順, B.種類コード, A.種類名, B.日付, B.順位, B.コード, Mei.銘柄, Mei.市場コード, B.株価, B.出来高, B.前日比, B.値 "
        "FROM (informationData as B LEFT JOIN informationClass as A ON A.種類コード = B.種類コード) LEFT JOIN Mei ON B.コード = Mei.コード ");
    if (kind.isEmpty() || kind == QLatin1String("ALL"))
        sql += QStringLiteral("Where B.コード =%1 ").arg(code);
    else
        sql += QStringLiteral("Where B.種類コード= %1 and B.コード =%2 ").arg(db::quoteText(kind)).arg(code);
    sql += order == SearchOrder::ByDate ? QStringLiteral("ORDER BY B.日付 desc") : QStringLiteral("ORDER BY A.表示順, B.日付 desc");
    sql += QStringLiteral(", A.rowid Is Null, A.rowid, B.rowid;");
    return sql;
}

SearchKinds OfferedKinds(const QString &databasePath)
{
    SearchKinds kinds;
    db::Database database(databasePath);
    for (db::Recordset rs = database.openRecordset(QStringLiteral("select * from informationClass order by 表示順 ;")); !rs.eof();
         rs.moveNext()) {
        const QString code = rs.toText(QStringLiteral("種類コード"));
        if (code.startsWith(QLatin1Char('S'), Qt::CaseInsensitive))
            continue;
        kinds.names.append(rs.toText(QStringLiteral("種類名")));
        kinds.codes.append(code);
    }
    return kinds;
}

} // namespace info
