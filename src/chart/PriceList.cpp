#include "chart/PriceList.h"

#include "base/DateUtil.h"
#include "chart/ChartFonts.h"
#include "chart/ChartSeries.h"

#include <algorithm>
#include <cstdint>

namespace chart {

namespace {

// A number as numberText writes it, built backwards from the end of a small buffer.
class NumberBuffer
{
public:
    explicit NumberBuffer(Currency value)
    {
        const std::int64_t raw = value.raw();
        const std::uint64_t magnitude = raw < 0 ? std::uint64_t(-(raw + 1)) + 1 : std::uint64_t(raw);
        std::uint64_t fraction = magnitude % std::uint64_t(Currency::Scale);
        if (fraction != 0) {
            int places = 4;
            for (; fraction % 10 == 0; fraction /= 10)
                --places;
            digits(fraction, places);
            put(u'.');
        }
        digits(magnitude / std::uint64_t(Currency::Scale));
        put(raw < 0 ? u'-' : u' ');
    }
    explicit NumberBuffer(qint64 value)
    {
        digits(value < 0 ? std::uint64_t(-(value + 1)) + 1 : std::uint64_t(value));
        put(value < 0 ? u'-' : u' ');
    }
    QString text() const { return QString(reinterpret_cast<const QChar *>(m_start), size()); }
    int size() const { return int(m_end - m_start); }
    // Right-aligned in width characters (the whole number when it is longer) at out; returns the end.
    char16_t *writeJustified(char16_t *out, int width) const
    {
        for (int n = size(); n < width; ++n)
            *out++ = u' ';
        return std::copy(m_start, m_end, out);
    }

private:
    void digits(std::uint64_t value, int atLeast = 1)
    {
        for (int n = 0; value != 0 || n < atLeast; ++n, value /= 10)
            put(char16_t(u'0' + value % 10));
    }
    void put(char16_t c) { *--m_start = c; }

    char16_t m_chars[32];
    char16_t *m_end = m_chars + 32;
    char16_t *m_start = m_end;
};

} // namespace

// As QLatin1Char(' ') + Currency::toString() (or the "-" it starts with): the list writes 660 a chart.
QString numberText(Currency value)
{
    return NumberBuffer(value).text();
}

QString numberText(qint64 value)
{
    return NumberBuffer(value).text();
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
    for (qsizetype i = 0; i < 3; ++i) {
        text[3 * i] = QLatin1Char(char('0' + parts[i] / 10));
        text[3 * i + 1] = QLatin1Char(char('0' + parts[i] % 10));
    }
    return text;
}

QString priceListRow(const ChartRecord &r)
{
    char16_t row[9 + 5 * 32 + 32];
    const QString date = shortDateText(r.Date, QLatin1Char('/'));
    char16_t *end = std::copy(date.utf16(), date.utf16() + date.size(), row);
    *end++ = u' ';
    for (const Currency &v : {r.Open, r.High, r.Low, r.Close, r.Change})
        end = NumberBuffer(v).writeJustified(end, 11);
    end = NumberBuffer(qint64(r.Volume)).writeJustified(end, 12);
    return QString(reinterpret_cast<const QChar *>(row), end - row);
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
