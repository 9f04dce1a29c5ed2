#pragma once

// The technical indicators computed on a loaded ChartSeries: three moving averages with their
// deviation rates, the psychological line, RSI, VR, the average angles and the Ito ratio, the
// extremes, the price axis and the quadratic trend curve. All are trailing: the value at index k
// uses the records up to and including k.

#include "chart/ChartSeries.h"

namespace chart {

// Runs the five passes (short, middle and long average, psychological line, RSI and VR) in that
// order, then the angles, the Ito ratio and the quadratic curve. The settings are clamped first
// (IndicatorSettings::clamped): a period above 110 counts as 110, a negative one as 0.
//
// Undefined arithmetic is avoided in these ways:
// - When ChartTop is not above ChartBottom (no record has a non-zero low at or below the highest
//   high), the angle unit is not positive: no angle is computed, every slope becomes 0, and so do
//   ItoMaxAngle and the Ito ratio.
// - A deviation against an average that rounded to 0 is 0; deviations and percentages that do not
//   fit 16 bits are saturated.
// - Window sums and curve sums are kept wide and saturated into the 64-bit currency range.
void ComputeIndicators(ChartSeries &series, const IndicatorSettings &settings);

// The price axis: Int(MaxHigh / 10) * 10 + 10 and Fix(MinLow / 10) * 10.
Currency chartTopOf(Currency maxHigh);
Currency chartBottomOf(Currency minLow);

// A double as currency, saturated into the currency range (NaN reads as 0).
Currency currencyFromDouble(double value);

} // namespace chart
