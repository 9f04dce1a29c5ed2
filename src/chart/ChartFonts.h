#pragma once

// The fonts of the chart and the price list, chosen in this one place.

#include <QFont>

namespace chart {

// Text on the chart: a Japanese-capable font at 12 pixels, so that a half-width character is about
// 6 pixels wide as the label positions assume ("Noto Sans Mono CJK JP" is exactly 6).
QFont chartTextFont();
// Fixed-pitch Japanese-capable font for the value labels.
QFont fixedPitchFont();
// The price list's font: "ＭＳ ゴシック" where it is installed, else the shipped monospace
// Japanese font; 12 pixels, 6 pixels per half-width character either way.
QFont priceListFont();

} // namespace chart
