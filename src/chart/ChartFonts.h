#pragma once

// The fonts of the chart and the price list, chosen in this one place.

#include <QFont>

namespace chart {

// Text on the chart: a Japanese-capable font at 12 pixels, so that a half-width character is about
// 6 pixels wide as the label positions assume ("Noto Sans Mono CJK JP" is exactly 6).
QFont chartTextFont();
// Fixed-pitch Japanese-capable font for the price list.
QFont fixedPitchFont();

} // namespace chart
