#pragma once

// Paints the chart of a ChartSeries onto any QPainter at the fixed pixel geometry (ChartGeometry.h):
// the frame and grid, candles, volume bars, moving averages, the quadratic curve, the lower-panel
// oscillators, margin balances and the Ito ratio, the axis labels; and produces the price-list rows
// and the label values as data. The window passes its display state in and shows what comes back.

#include "chart/ChartGeometry.h"
#include "chart/ChartSeries.h"
#include "chart/PriceList.h"

#include <QImage>
#include <QLine>
#include <QPoint>
#include <QRect>
#include <QStringList>

#include <array>
#include <cstdint>
#include <vector>

class QPainter;
class QPen;

namespace chart {

// Entries of the colour table (0x00BBGGRR each).
enum ColourIndex
{
    ColourMaShort = 0,
    ColourMaMiddle = 1,
    ColourMaLong = 2,
    ColourPsychological = 3,
    ColourRsi = 4,
    ColourVr = 5,
    ColourCurve = 6,
    ColourIto = 7,
};
using ColourTable = std::array<std::uint32_t, 8>;
ColourTable defaultColourTable();
// True while the three average colours are all non-zero (the averages are drawn).
bool averagesShown(const ColourTable &colours);
// The moving-average button: defaults when the three are not all at their defaults, else zeros.
void toggleAverages(ColourTable &colours);

namespace colours {
constexpr std::uint32_t BackgroundSharp = 0x000000, BackgroundPale = 0x404040;
constexpr std::uint32_t RisingSharp = 0x0000FF, RisingPale = 0x8080FF;
constexpr std::uint32_t Falling = 0xE0E0E0, VolumeBar = 0xFFFFFF, Separator = 0xFFFFFF, Grid = 0x808080;
constexpr std::uint32_t MarginSell = 0x0000FF, MarginBuy = 0x00FFFF;
constexpr std::uint32_t WindowDaily = 0xC0C0C0, WindowWeekly = 0x808080;
constexpr std::uint32_t Text = 0x000000;
} // namespace colours

// The display state of the main window that decides what is drawn.
struct ChartDisplayOptions
{
    int lowerPanelMode = 0; // 0 ALL, 1 RSI VR, 2 psychological, 3 Ito ratio / margin, 4 none
    bool volume = true; // Chkdekidaka
    bool curve = false; // Chknijikyokusenn
    ColourTable colourTable = defaultColourTable();
    int periodMode = 1; // 1 daily, 2 weekly
    int screenMode = 1; // 1 sharp, otherwise pale
    int allItoRso = 1; // 2: the Ito ratio also in mode 0
    std::uint32_t windowBackground = colours::WindowDaily;
    std::uint32_t textColour = colours::Text;

    std::uint32_t chartBackground() const;
    std::uint32_t risingCandle() const;
};

// Previous points of the three oscillator lines, held by the caller across the record loop. A point
// with a zero coordinate counts as none.
struct LinePoint
{
    int x = 0;
    int y = 0;
    bool exists() const { return x != 0 && y != 0; }
    void forget() { x = y = 0; }
};
struct OscillatorPoints
{
    LinePoint psychological, rsi, vr;
};

// What DrawChart leaves for the window to show.
struct ChartDrawResult
{
    bool listFilled = false; // KabukaList was cleared (and refilled when rows exist)
    QStringList KabukaList; // one row per record, index 0 the oldest
    int selectedRow = -1; // the newest row when the list was filled
    bool labelsSet = false; // false when the chart stopped at the frame
    IndicatorLabels labels; // of the selected row (when the list was filled)
    QString Lblsaitakane; // MaxHigh
    QString Lblsaiyasune; // MinLow
};

// A caption of the chart: text printed with its top-left corner at topLeft in the chart font.
struct ChartLabel
{
    QPoint topLeft;
    QString text;
};

// The axis labels, units and dates of a series (none when MaxVolume is not above 0). The fixed
// positions are moved where, in a 6-pixel font, they would touch a tick or each other: left-axis
// numbers end at x 196, before the 3-pixel ticks; ChartBottom sits at y 340, above the 7-pixel
// tick at y 356 and the top volume label; right-axis numbers and "100%" start at x 762, after the
// ticks; volumes of ten digits are written in thousands under the unit "千株" so they stay clear
// of the issue list; the dates stand at every 20th record, since 8 characters fill the 50 pixels
// between every 10th.
// An adjusted series (ChartSeries::Adjusted) adds adjustedChartLabel() above the right price axis.
std::vector<ChartLabel> chartLabels(const ChartSeries &series, const ChartGeometry &geometry);
QString adjustedChartLabel(); // "分割調整"

// The ticks outside the plot area (in the chart background colour): under the vertical grid
// lines, left of the separator and the left and right grid lines.
std::vector<QLine> frameTicks();

// A label in the painter's font and the pen's colour, as drawText writes it with its top-left corner
// at the label's point.
void DrawChartLabel(QPainter &painter, const ChartLabel &label, const QPen &pen);

// A candle at centre x, in one colour: the wick from yLow to yHigh, as a one-pixel line draws it, and
// the outline of the body, three pixels wide, as drawRect draws QRect(QPoint(x - 1, yOpen),
// QPoint(x + 1, yClose)).normalized() less one pixel in width and height.
void DrawCandle(QPainter &painter, int x, int yLow, int yHigh, int yOpen, int yClose, std::uint32_t bgr);

void DrawChartFrame(QPainter &painter, const ChartDisplayOptions &options);
// Draws the frame, and when MaxVolume is above 0 the data. When ChartTop is not above ChartBottom
// (no usable low, for instance all closes 0 or a price unit of 0) there is no price axis: the price
// labels, candles, averages and the curve are left out, and volume and the lower panel are drawn.
ChartDrawResult DrawChart(QPainter &painter, const ChartSeries &series, const ChartDisplayOptions &options,
                          bool fillList);
void DrawOscillators(QPainter &painter, const ChartDisplayOptions &options, int psychological, int rsi, int vr,
                     int x, OscillatorPoints &previous);

// A rectangle of the 820 x 460 area holding every pixel DrawChart paints for the series and options
// (a little more where that is simpler to bound): outside it the chart leaves the window's own
// background, so a change of chart needs only the old and the new rectangle painted again.
QRect chartExtent(const ChartSeries &series, const ChartDisplayOptions &options);

// The chart as an image of 820 x 460 pixels, pixel (x, y) being the point (x, y) of the geometry;
// the part outside the outer area has the window's background colour.
QImage RenderChartImage(const ChartSeries &series, const ChartDisplayOptions &options, bool fillList,
                        ChartDrawResult *result = nullptr);

} // namespace chart
