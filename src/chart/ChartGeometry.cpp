#include "chart/ChartGeometry.h"

#include "chart/ChartSeries.h"

#include <algorithm>
#include <cmath>

namespace chart {

QColor colorFromBgr(std::uint32_t bgr)
{
    return QColor(int(bgr & 0xFFu), int((bgr >> 8) & 0xFFu), int((bgr >> 16) & 0xFFu));
}

double ScaleFactor::value() const
{
    return double(count) / std::pow(10.0, digits);
}

namespace {

template <typename F>
ScaleFactor fitFactor(int digits, F &&countAt)
{
    ScaleFactor f;
    f.digits = digits;
    double c = countAt(std::pow(10.0, f.digits));
    while (f.digits > 0 && !(std::fabs(c) <= 32767.0)) {
        --f.digits;
        c = countAt(std::pow(10.0, f.digits));
    }
    if (std::isnan(c))
        c = 0.0;
    f.count = std::int16_t(std::clamp(c, -32768.0, 32767.0));
    return f;
}

} // namespace

ScaleFactor makeScaleFactor(Currency range, double numerator)
{
    const double r = range.toDouble();
    if (r == 0.0)
        return {};
    return fitFactor(int(range.toString().size()),
                     [&](double pow10) { return Rounding::nearest(pow10 * numerator / r); });
}

ScaleFactor makeScaleFactorAfter(double denominator, double numerator, const QString &rangeText)
{
    const double r = denominator;
    if (r == 0.0)
        return {};
    return fitFactor(int(rangeText.size()),
                     [&](double pow10) { return Rounding::nearest(numerator / r * pow10); });
}

ChartGeometry::ChartGeometry(const ChartSeries &series, int periodMode)
{
    m_hasVolume = series.MaxVolume > Currency();
    if (m_hasVolume)
        m_vf = makeScaleFactor(series.MaxVolume, 80.0);
    m_hasPrice = series.ChartTop > series.ChartBottom;
    if (m_hasPrice)
        m_pf = makeScaleFactor(series.ChartTop - series.ChartBottom, 256.0);
    m_hasMargin = periodMode == 2 && series.MaxMargin > Currency();
    if (m_hasMargin) {
        m_mf = makeScaleFactorAfter(series.MaxMargin.toDouble() * 1.05, 80.0, series.MaxMargin.toString());
    }
    m_top = series.ChartTop.toDouble();
    m_itoMaxAngle = series.ItoMaxAngle.toDouble();
    m_priceFactor = m_pf.value();
    m_volumeFactor = m_vf.value();
    m_marginFactor = m_mf.value();
}

double ChartGeometry::yPrice(Currency price) const
{
    return priceFactor() * (m_top - price.toDouble()) + layout::PriceTop;
}

double ChartGeometry::yVolume(double volume) const
{
    return layout::LowerZero - volumeFactor() * volume;
}

double ChartGeometry::yMargin(double margin) const
{
    return layout::LowerZero - marginFactor() * margin;
}

double ChartGeometry::yPercent(double percent)
{
    return layout::LowerZero - 0.8 * percent;
}

double ChartGeometry::yIto(Currency itoRatio) const
{
    if (!hasItoScale())
        return layout::LowerZero;
    return layout::LowerZero - itoRatio.toDouble() * 80.0 / (2.0 * m_itoMaxAngle);
}

} // namespace chart
