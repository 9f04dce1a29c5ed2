#include "import/PriceFiles.h"

namespace importer {

QString dailyHeaderLine(const QDate &date, qsizetype count)
{
    return date.toString(QStringLiteral("yyyyMMdd")) + QLatin1Char(',') + QString::number(count) + QStringLiteral(",0");
}

QString dailyRecordLine(int code, int position, QStringView name, qint32 open, qint32 high, qint32 low, qint32 close,
                        const Currency &volume)
{
    QString line;
    line.reserve(48 + name.size());
    const QChar comma(QLatin1Char(','));
    line += QString::number(code) + comma + QString::number(position) + comma;
    line += name;
    line += comma + QString::number(open) + comma + QString::number(high) + comma + QString::number(low) + comma
        + QString::number(close) + comma + volume.toString();
    return line;
}

QStringList dailyFileLines(const QDate &date, const std::vector<DailyFileRecord> &records)
{
    QStringList lines;
    lines.reserve(qsizetype(records.size()) + 1);
    lines.append(dailyHeaderLine(date, qsizetype(records.size())));
    for (const DailyFileRecord &r : records)
        lines.append(dailyRecordLine(r.code, r.position, r.name, r.open, r.high, r.low, r.close, r.volume));
    return lines;
}

QStringList marginFileLines(const QDate &date, const std::vector<MarginFileRecord> &records)
{
    QStringList lines;
    lines.reserve(qsizetype(records.size()) + 2);
    lines.append(date.toString(QStringLiteral("yyyyMMdd")));
    lines.append(QString::number(records.size()) + QLatin1Char(','));
    for (const MarginFileRecord &m : records)
        lines.append(QStringLiteral("%1,0,0,%2,%3,%4").arg(m.code).arg(m.sell).arg(m.buy).arg(m.unit));
    return lines;
}

} // namespace importer
