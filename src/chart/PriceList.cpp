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

QString priceListRow(const ChartRecord &r)
{
    QString row = DateUtil::formatYYMMDD(r.Date) + QLatin1Char(' ');
    for (const Currency &v : {r.Open, r.High, r.Low, r.Close, r.Change})
        row += numberText(v).rightJustified(11, QLatin1Char(' '));
    row += numberText(qint64(r.Volume)).rightJustified(12, QLatin1Char(' '));
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
