#include "ui/IssueEntry.h"

#include "base/Helpers.h"
#include "base/MainModule.h"
#include "db/Database.h"

namespace ui {

QString marketAbbrev(int market)
{
    if (market < 0 || market >= int(MainModule::MarketAbbrev.size()))
        return QString();
    return MainModule::MarketAbbrev[size_t(market)];
}

QString issueListEntry(qint64 code, int market, const QString &name)
{
    return QString::number(code) + QLatin1Char(' ') + marketAbbrev(market) + QLatin1Char(' ') + name;
}

IssueInfo FindIssue(const QString &dbPath, qint64 code)
{
    IssueInfo info;
    db::Database database(dbPath);
    db::Recordset rs = database.openRecordset(QStringLiteral("select * from mei where コード=%1;").arg(code));
    if (!rs.eof()) {
        info.found = true;
        info.market = int(rs.toLong(QStringLiteral("市場コード")));
        info.marketAbbrev = marketAbbrev(info.market);
        info.name = SafeText(rs.value(QStringLiteral("銘柄")));
    }
    return info;
}

} // namespace ui
