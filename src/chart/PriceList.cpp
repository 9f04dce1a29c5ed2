#include "chart/PriceList.h"

#include "base/DateUtil.h"
#include "chart/ChartFonts.h"
#include "chart/ChartSeries.h"

namespace chart {

QString numberText(Currency value)
{
    const QString t = value.toString();
    return value < Currency() ? t : QLatin1Char(' ') + t;
}

QString numberText(qint64 value)
{
    return value < 0 ? QString::number(value) : QLatin1Char(' ') + QString::number(value);
}

QString shortDateText(const QDate &date, QChar separator)
{
    if (!date.isValid())
        return QString();
    if (date.year() < 0 || date.year() > 9999) {
        const QString sep(separator);
        return date.toString(QStringLiteral("yy") + sep + QStringLiteral("MM") + sep + QStringLiteral("dd"));
    }
    const int parts[3] = {date.year() % 100, date.month(), date.day()};
    QString text(8, separator);
    for (int i = 0; i < 3; ++i) {
        text[3 * i] = QLatin1Char(char('0' + parts[i] / 10));
        text[3 * i + 1] = QLatin1Char(char('0' + parts[i] % 10));
    }
    return text;
}

namespace {

void appendRightJustified(QString &row, const QString &value, int width)
{
    for (qsizetype n = value.size(); n < width; ++n)
        row += QLatin1Char(' ');
    row += value;
}

} // namespace

QString priceListRow(const ChartRecord &r)
{
    QString row;
    row.reserve(80);
    row += shortDateText(r.Date, QLatin1Char('/'));
    row += QLatin1Char(' ');
    for (const Currency &v : {r.Open, r.High, r.Low, r.Close, r.Change})
        appendRightJustified(row, numberText(v), 11);
    appendRightJustified(row, numberText(qint64(r.Volume)), 12);
    return row;
}

QString closeColumnValue(const QString &row)
{
    bool ok = false;
    const Currency v = Currency::fromText(row.mid(42, 11), &ok);
    return ok ? v.toString() : QStringLiteral("0");
}

QString deviationText(int tenths)
{
    return QString::number(double(tenths) / 10.0);
}

IndicatorLabels labelsForRecord(const ChartSeries &series, int index)
{
    IndicatorLabels l;
    if (index < 0 || index >= series.Count)
        return l;
    const ChartRecord &r = series.Records[size_t(index)];
    l.LblDate = DateUtil::formatYYMMDD(r.Date);
    l.Lblowarine = closeColumnValue(priceListRow(r));
    l.Lbltanidoheikn = r.MaShort.toString();
    l.Lbltyuidoheikn = r.MaMiddle.toString();
    l.Lbltyoidoheikn = r.MaLong.toString();
    l.Lbltankairi = deviationText(r.DevShort);
    l.Lbltyukairi = deviationText(r.DevMiddle);
    l.Lbltyokairi = deviationText(r.DevLong);
    l.LblSRL = QString::number(r.Psychological);
    l.LblRSI = QString::number(r.Rsi);
    l.LblVR = QString::number(r.Vr);
    return l;
}

} // namespace chart
