#include "import/PriceRecords.h"

#include "db/Database.h"
#include "db/RowInserter.h"

#include <cmath>
#include <limits>

namespace importer {

namespace {
constexpr int NameLength = 20;
} // namespace

QStringList cutFields(const QString &line, int count)
{
    QStringList fields;
    qsizetype start = 0;
    while (fields.size() + 1 < count) {
        const qsizetype comma = line.indexOf(QLatin1Char(','), start);
        if (comma < 0)
            break;
        fields.append(line.mid(start, comma - start).trimmed());
        start = comma + 1;
    }
    fields.append(line.mid(start).trimmed());
    return fields;
}

int cutFieldViews(QStringView line, int count, QStringView *out)
{
    int n = 0;
    qsizetype start = 0;
    while (n + 1 < count) {
        const qsizetype comma = line.indexOf(QLatin1Char(','), start);
        if (comma < 0)
            break;
        out[n++] = line.mid(start, comma - start).trimmed();
        start = comma + 1;
    }
    out[n++] = line.mid(start).trimmed();
    return n;
}

std::optional<qint64> wholeNumber(QStringView text)
{
    const QStringView t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    bool ok = false;
    const qint64 n = t.toLongLong(&ok);
    if (ok)
        return n;
    const double d = t.toDouble(&ok);
    if (!ok || !std::isfinite(d) || std::fabs(d) > 9.0e18)
        return std::nullopt;
    return qint64(Rounding::nearest(d));
}

qint32 safeLong(QStringView text)
{
    const auto n = wholeNumber(text);
    if (!n || *n > std::numeric_limits<qint32>::max() || *n < std::numeric_limits<qint32>::min())
        return 0;
    return qint32(*n);
}

QString fitName(const QString &name)
{
    return name.size() > NameLength ? name.left(NameLength) : name;
}

IssueCodes readIssueCodes(db::Database &database)
{
    IssueCodes issues;
    issues.total = int(database.scalar(QStringLiteral("select Count(コード) as wcount from mei ;")).toLongLong());
    db::Recordset mei = database.openRecordset(QStringLiteral("select コード from mei order by コード ;"));
    for (; !mei.eof(); mei.moveNext())
        issues.codes.push_back(mei.toLong(QStringLiteral("コード")));
    return issues;
}

void setChangeFromPrevious(PriceRecord &row, std::optional<qint64> previousReference, bool noTrade)
{
    if (!previousReference) {
        row.change = 0;
        row.reference = row.close;
    } else if (noTrade) {
        row.change = 0;
        row.reference = *previousReference;
    } else {
        row.change = *previousReference == 0 ? 0 : row.close - *previousReference;
        row.reference = row.close;
    }
}

void setPriceFields(db::Recordset &rs, const PriceRecord &row)
{
    rs.setValue(QStringLiteral("コード"), row.code);
    rs.setValue(QStringLiteral("日付"), row.date);
    rs.setValue(QStringLiteral("始値"), row.open);
    rs.setValue(QStringLiteral("高値"), row.high);
    rs.setValue(QStringLiteral("安値"), row.low);
    rs.setValue(QStringLiteral("終値"), row.close);
    rs.setValue(QStringLiteral("前日比"), row.change);
    rs.setValue(QStringLiteral("出来高"), QVariant::fromValue(row.volume));
    rs.setValue(QStringLiteral("基準前日比"), row.reference);
}

QStringList priceColumns()
{
    return {QStringLiteral("コード"), QStringLiteral("日付"), QStringLiteral("始値"), QStringLiteral("高値"), QStringLiteral("安値"),
            QStringLiteral("終値"), QStringLiteral("前日比"), QStringLiteral("出来高"), QStringLiteral("基準前日比")};
}

bool insertPriceRow(db::RowInserter &rows, const PriceRecord &row)
{
    rows.setWhole(0, row.code);
    rows.setDate(1, row.date);
    rows.setWhole(2, row.open);
    rows.setWhole(3, row.high);
    rows.setWhole(4, row.low);
    rows.setWhole(5, row.close);
    rows.setWhole(6, row.change);
    rows.setCurrency(7, row.volume);
    rows.setWhole(8, row.reference);
    return rows.insertRow();
}

} // namespace importer
