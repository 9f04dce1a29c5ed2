#pragma once

// The fixed pixel layout of the chart and the mapping of prices, volumes, margin balances, percents
// and Ito-ratio angles to y pixels. Pure arithmetic: no painting.

#include "base/Currency.h"

#include <QColor>
#include <QString>

#include <cstdint>

namespace chart {

struct ChartSeries;

namespace layout {
constexpr int OuterLeft = 145, OuterTop = 100, OuterRight = 812, OuterBottom = 452;
constexpr int PlotLeft = 200, PlotTop = 100, PlotRight = 757, PlotBottom = 437;
constexpr int PriceTop = 100, PriceBottom = 356; // 256 pixels
constexpr int LowerTop = 356, LowerZero = 436; // 80 pixels
constexpr int ImageWidth = 820, ImageHeight = 460;
constexpr int centreX(int position)
{
    return 200 + 5 * position;
}
} // namespace layout

// A colour given as 0x00BBGGRR.
QColor colorFromBgr(std::uint32_t bgr);

// A scale factor kept as a 16-bit count of 1/10^L, L the number of characters of the range's text
// (about three significant digits). When the range has a fraction, its text is longer and the count
// would leave the 16-bit range: L is then lowered one step at a time until the count fits (and the
// count is saturated at 32767 should it not fit even at L = 0).
struct ScaleFactor
{
    std::int16_t count = 0;
    int digits = 0; // L
    double value() const;
};

// nearest(10^L * numerator / range) / 10^L with L from the range's text.
ScaleFactor makeScaleFactor(Currency range, double numerator);
// nearest(numerator / range * 10^L) / 10^L (the margin factor's order of operations).
ScaleFactor makeScaleFactorAfter(double denominator, double numerator, const QString &rangeText);

class ChartGeometry final
{
public:
    // Factors from the series: VF from MaxVolume, PF from ChartTop - ChartBottom and, on a weekly
    // chart with MaxMargin above 0, MF from MaxMargin * 1.05.
    ChartGeometry(const ChartSeries &series, int periodMode);

    bool hasVolumeScale() const { return m_hasVolume; }
    // False when ChartTop is not above ChartBottom: there is no price axis to draw on.
    bool hasPriceAxis() const { return m_hasPrice; }
    bool hasMarginScale() const { return m_hasMargin; }
    bool hasItoScale() const { return m_itoMaxAngle > 0.0; }

    double priceFactor() const { return m_priceFactor; }
    double volumeFactor() const { return m_volumeFactor; }
    double marginFactor() const { return m_marginFactor; }
    const ScaleFactor &priceScale() const { return m_pf; }
    const ScaleFactor &volumeScale() const { return m_vf; }
    const ScaleFactor &marginScale() const { return m_mf; }

    double yPrice(Currency price) const;
    double yVolume(double volume) const;
    double yMargin(double margin) const;
    static double yPercent(double percent);
    double yIto(Currency itoRatio) const;

private:
    ScaleFactor m_vf, m_pf, m_mf;
    double m_top = 0.0;
    // The factors' values, worked out once for the hundreds of points of a chart.
    double m_priceFactor = 0.0, m_volumeFactor = 0.0, m_marginFactor = 0.0;
    double m_itoMaxAngle = 0.0;
    bool m_hasVolume = false;
    bool m_hasPrice = false;
    bool m_hasMargin = false;
};

} // namespace chart
