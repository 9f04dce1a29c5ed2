#include "chart/ChartPainter.h"

#include "chart/ChartFonts.h"
#include "chart/Indicators.h"

#include <QFontMetrics>
#include <QHash>
#include <QPainter>
#include <QPen>
#include <QStaticText>

#include <algorithm>
#include <cmath>
#include <utility>

namespace chart {

ColourTable defaultColourTable()
{
    return {0x80FF80, 0x00FFFF, 0xFFC0C0, 0x0080FF, 0x00FF00, 0xFF8080, 0x0080FF, 0xFF80FF};
}

bool averagesShown(const ColourTable &c)
{
    return c[ColourMaShort] != 0 && c[ColourMaMiddle] != 0 && c[ColourMaLong] != 0;
}

void toggleAverages(ColourTable &c)
{
    const ColourTable d = defaultColourTable();
    const bool atDefaults = c[ColourMaShort] == d[ColourMaShort] && c[ColourMaMiddle] == d[ColourMaMiddle]
        && c[ColourMaLong] == d[ColourMaLong];
    for (int i : {ColourMaShort, ColourMaMiddle, ColourMaLong})
        c[size_t(i)] = atDefaults ? 0u : d[size_t(i)];
}

std::uint32_t ChartDisplayOptions::chartBackground() const
{
    return screenMode == 1 ? colours::BackgroundSharp : colours::BackgroundPale;
}

std::uint32_t ChartDisplayOptions::risingCandle() const
{
    return screenMode == 1 ? colours::RisingSharp : colours::RisingPale;
}

namespace {

// A y coordinate as a pixel: nearest, kept well inside the integer range.
int pixel(double y)
{
    if (std::isnan(y))
        return 0;
    return int(Rounding::nearest(std::clamp(y, -100000.0, 100000.0)));
}

// The previous point keeps the y coordinate truncated to an integer.
int truncated(double y)
{
    if (std::isnan(y))
        return 0;
    return int(Rounding::Fix(std::clamp(y, -100000.0, 100000.0)));
}

// Pens and brushes are built once per colour: a chart sets one for nearly every line and box.
const QPen &penOf(std::uint32_t bgr, Qt::PenStyle style)
{
    struct Entry
    {
        std::uint32_t bgr;
        Qt::PenStyle style;
        QPen pen;
    };
    thread_local std::vector<Entry> pens;
    for (const Entry &e : pens)
        if (e.bgr == bgr && e.style == style)
            return e.pen;
    if (pens.size() >= 64) // colours chosen over a long session
        pens.clear();
    QPen pen(colorFromBgr(bgr));
    pen.setWidth(1);
    pen.setCosmetic(true);
    pen.setStyle(style);
    pens.push_back({bgr, style, pen});
    return pens.back().pen;
}

const QBrush &brushOf(std::uint32_t bgr)
{
    thread_local std::vector<std::pair<std::uint32_t, QBrush>> brushes;
    for (const auto &[colour, brush] : brushes)
        if (colour == bgr)
            return brush;
    if (brushes.size() >= 64)
        brushes.clear();
    brushes.emplace_back(bgr, QBrush(colorFromBgr(bgr)));
    return brushes.back().second;
}

void solidPen(QPainter &p, std::uint32_t bgr)
{
    p.setPen(penOf(bgr, Qt::SolidLine));
}

void dottedPen(QPainter &p, std::uint32_t bgr)
{
    p.setPen(penOf(bgr, Qt::DotLine));
}

void line(QPainter &p, int x1, int y1, int x2, int y2, std::uint32_t bgr)
{
    solidPen(p, bgr);
    p.drawLine(x1, y1, x2, y2);
}

// A filled box with both corners included.
void filledBox(QPainter &p, int x1, int y1, int x2, int y2, std::uint32_t bgr)
{
    p.fillRect(QRect(QPoint(x1, y1), QPoint(x2, y2)).normalized(), brushOf(bgr));
}

// A number right-aligned on the left axis, its last character ending at x 196.
ChartLabel leftAxisNumber(const QString &s, int y)
{
    return {QPoint(layout::OuterLeft - 3 + 6 * (9 - int(s.size())), y), s};
}

constexpr int RightAxisX = layout::PlotRight + 5;

// Connects from the previous point (when it exists) and makes (x, truncated y) the previous point.
void connect(QPainter &p, LinePoint &previous, int x, double y, std::uint32_t bgr)
{
    if (previous.exists())
        line(p, previous.x, previous.y, x, pixel(y), bgr);
    previous.x = x;
    previous.y = truncated(y);
}

QString wholeText(double value)
{
    return numberText(qint64(std::clamp(value, -9.0e18, 9.0e18)));
}

} // namespace

namespace {

void paintFrame(QPainter &p, std::uint32_t windowBackground, std::uint32_t chartBackground)
{
    using namespace layout;
    filledBox(p, OuterLeft, OuterTop, OuterRight, OuterBottom, windowBackground);
    filledBox(p, PlotLeft, PlotTop, PlotRight, PlotBottom, chartBackground);

    dottedPen(p, colours::Separator);
    p.drawLine(PlotLeft, LowerTop, PlotRight, LowerTop);
    dottedPen(p, colours::Grid);
    for (int y : {376, 396, 416, 292, 228, 164})
        p.drawLine(PlotLeft, y, PlotRight, y);
    for (int x = 250; x <= 750; x += 50)
        p.drawLine(x, PlotTop, x, LowerZero);

    solidPen(p, chartBackground);
    for (const QLine &tick : frameTicks())
        p.drawLine(tick);
}

// The frame of the outer area as an image, painted once per pair of backgrounds.
const QImage &frameImage(std::uint32_t windowBackground, std::uint32_t chartBackground)
{
    struct Frame
    {
        std::uint32_t window, chart;
        QImage image;
    };
    thread_local std::vector<Frame> frames;
    for (const Frame &f : frames)
        if (f.window == windowBackground && f.chart == chartBackground)
            return f.image;
    if (frames.size() >= 8)
        frames.clear();
    using namespace layout;
    QImage image(OuterRight - OuterLeft + 1, OuterBottom - OuterTop + 1, QImage::Format_RGB32);
    QPainter p(&image);
    p.translate(-OuterLeft, -OuterTop);
    paintFrame(p, windowBackground, chartBackground);
    p.end();
    frames.push_back({windowBackground, chartBackground, image});
    return frames.back().image;
}

// True when an opaque image drawn at an integer point lands pixel for pixel on the device, as
// painting it there would.
bool mapsPixelForPixel(const QPainter &p)
{
    const QTransform t = p.deviceTransform();
    return p.device() && p.device()->devicePixelRatio() == 1.0 && t.type() <= QTransform::TxTranslate
        && t.dx() == std::floor(t.dx()) && t.dy() == std::floor(t.dy()) && p.opacity() == 1.0
        && p.compositionMode() == QPainter::CompositionMode_SourceOver
        && !p.testRenderHint(QPainter::Antialiasing);
}

} // namespace

void DrawChartFrame(QPainter &p, const ChartDisplayOptions &o)
{
    // The frame is the same on every chart of the same backgrounds: copied from an image where the
    // painter allows it.
    if (mapsPixelForPixel(p))
        p.drawImage(QPoint(layout::OuterLeft, layout::OuterTop), frameImage(o.windowBackground, o.chartBackground()));
    else
        paintFrame(p, o.windowBackground, o.chartBackground());
}

std::vector<QLine> frameTicks()
{
    using namespace layout;
    std::vector<QLine> ticks;
    for (int x = 250; x <= 750; x += 50)
        ticks.emplace_back(x, LowerZero, x, LowerZero + 4);
    ticks.emplace_back(PlotLeft - 7, LowerTop, PlotLeft - 1, LowerTop);
    for (int y : {376, 396, 416, 292, 228, 164, 100})
        ticks.emplace_back(PlotLeft - 3, y, PlotLeft - 1, y);
    for (int y : {292, 228, 164, 100, 356, 376, 396, 416})
        ticks.emplace_back(PlotRight + 1, y, PlotRight + 3, y);
    return ticks;
}

QString adjustedChartLabel()
{
    return QStringLiteral("分割調整");
}

std::vector<ChartLabel> chartLabels(const ChartSeries &s, const ChartGeometry &g)
{
    std::vector<ChartLabel> labels;
    if (!g.hasVolumeScale())
        return labels;
    if (g.hasPriceAxis()) {
        const double range = (s.ChartTop - s.ChartBottom).toDouble();
        const double step = Rounding::Fix(range / 4.0 + 0.5);
        labels.push_back(leftAxisNumber(numberText(s.ChartTop), 100));
        labels.push_back(leftAxisNumber(numberText(s.ChartBottom), 340));
        labels.push_back({QPoint(RightAxisX, 100), numberText(s.ChartTop)});
        for (int k = 1; k <= 3; ++k) {
            const QString v = numberText(s.ChartBottom + Currency::fromDouble(k * step));
            labels.push_back(leftAxisNumber(v, 351 - 64 * k));
            labels.push_back({QPoint(RightAxisX, 351 - 64 * k), v});
        }
    }
    labels.push_back({QPoint(185, 112), QStringLiteral("円")});
    labels.push_back({QPoint(762, 112), QStringLiteral("円")});

    const double maxVolume = s.MaxVolume.toDouble();
    const double top = Rounding::Fix(maxVolume / 1000.0 + 0.5) * 1000.0;
    const double volumeStep = Rounding::Fix(maxVolume / 4.0 / 1000.0 + 0.5) * 1000.0;
    // Nine digits after the sign space fit between the issue list and the ticks.
    const bool inThousands = wholeText(top).size() > 10;
    const double divisor = inThousands ? 1000.0 : 1.0;
    labels.push_back(leftAxisNumber(wholeText(top / divisor), 356));
    labels.push_back(inThousands ? ChartLabel{QPoint(173, 425), QStringLiteral("千株")}
                                 : ChartLabel{QPoint(185, 425), QStringLiteral("株")});
    labels.push_back({QPoint(192, 437), QStringLiteral("0")});
    for (int k = 1; k <= 3; ++k)
        labels.push_back(leftAxisNumber(wholeText(k * volumeStep / divisor), 431 - 20 * k));
    labels.push_back({QPoint(RightAxisX, 350), QStringLiteral("100%")});
    labels.push_back({QPoint(765, 431), QStringLiteral(" 0%")});
    labels.push_back({QPoint(765, 411), QStringLiteral("25%")});
    labels.push_back({QPoint(765, 391), QStringLiteral("50%")});
    labels.push_back({QPoint(765, 371), QStringLiteral("75%")});

    for (int pos = 20; pos <= s.Count; pos += 20)
        labels.push_back({QPoint(5 * pos + 180, 441), shortDateText(s.Records[size_t(pos - 1)].Date, QLatin1Char(','))});
    // Prices adjusted for splits differ from those traded: the chart says so above the price axis.
    if (s.Adjusted)
        labels.push_back({QPoint(RightAxisX, 80), adjustedChartLabel()});
    return labels;
}

void DrawChartLabel(QPainter &p, const ChartLabel &label, const QPen &pen)
{
    // Laid out once per text: most labels recur from chart to chart. A layout made in another font
    // is laid out again by drawStaticText itself.
    struct Layouts
    {
        QHash<QString, QStaticText> texts;
    };
    thread_local Layouts layouts;
    if (layouts.texts.size() > 2000)
        layouts.texts.clear();
    auto it = layouts.texts.find(label.text);
    if (it == layouts.texts.end()) {
        QStaticText laidOut(label.text);
        laidOut.setTextFormat(Qt::PlainText);
        laidOut.prepare(QTransform(), p.font());
        it = layouts.texts.insert(label.text, laidOut);
    }
    p.setPen(pen);
    p.drawStaticText(label.topLeft, *it);
}

void DrawCandle(QPainter &p, int x, int yLow, int yHigh, int yOpen, int yClose, std::uint32_t bgr)
{
    // Filled as boxes of whole pixels where the outline is an ordinary one: they cover exactly what
    // its one-pixel lines cover, without setting up a line for each.
    const QBrush &brush = brushOf(bgr);
    p.fillRect(QRect(QPoint(x, std::min(yLow, yHigh)), QPoint(x, std::max(yLow, yHigh))), brush);
    const QRect r = QRect(QPoint(x - 1, yOpen), QPoint(x + 1, yClose)).normalized();
    const int top = r.y(), bottom = r.y() + r.height() - 1;
    if (bottom < top) {
        solidPen(p, bgr);
        if (p.brush().style() != Qt::NoBrush)
            p.setBrush(Qt::NoBrush);
        p.drawRect(r.x(), r.y(), r.width() - 1, r.height() - 1);
        return;
    }
    p.fillRect(QRect(QPoint(x - 1, top), QPoint(x + 1, top)), brush);
    p.fillRect(QRect(QPoint(x - 1, bottom), QPoint(x + 1, bottom)), brush);
    p.fillRect(QRect(QPoint(x - 1, top), QPoint(x - 1, bottom)), brush);
    p.fillRect(QRect(QPoint(x + 1, top), QPoint(x + 1, bottom)), brush);
}

void DrawOscillators(QPainter &p, const ChartDisplayOptions &o, int psychological, int rsi, int vr, int x,
                     OscillatorPoints &previous)
{
    const int mode = o.lowerPanelMode;
    if ((mode == 0 || mode == 2) && psychological >= 0)
        connect(p, previous.psychological, x, ChartGeometry::yPercent(psychological),
                o.colourTable[ColourPsychological]);
    if (mode == 0 || mode == 1) {
        if (rsi >= 0)
            connect(p, previous.rsi, x, ChartGeometry::yPercent(rsi), o.colourTable[ColourRsi]);
        if (vr >= 0)
            connect(p, previous.vr, x, ChartGeometry::yPercent(vr), o.colourTable[ColourVr]);
    }
}

ChartDrawResult DrawChart(QPainter &p, const ChartSeries &s, const ChartDisplayOptions &o, bool fillList)
{
    ChartDrawResult result;
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setFont(chartTextFont());
    DrawChartFrame(p, o);
    result.listFilled = fillList;

    const ChartGeometry g(s, o.periodMode);
    if (!g.hasVolumeScale()) {
        p.restore();
        return result;
    }

    const QPen textPen(colorFromBgr(o.textColour));
    for (const ChartLabel &label : chartLabels(s, g))
        DrawChartLabel(p, label, textPen);

    LinePoint maPoints[3];
    LinePoint curvePoint, sellPoint, buyPoint, itoPoint;
    OscillatorPoints oscillators;
    const bool showAverages = averagesShown(o.colourTable);
    const bool weeklyMargins = o.periodMode == 2 && (o.lowerPanelMode == 0 || o.lowerPanelMode == 3);
    const bool dailyIto = o.periodMode == 1
        && (o.lowerPanelMode == 3 || (o.lowerPanelMode == 0 && o.allItoRso == 2));

    for (int pos = 1; pos <= s.Count; ++pos) {
        const ChartRecord &r = s.Records[size_t(pos - 1)];
        const int x = layout::centreX(pos);

        const double yv = g.yVolume(r.Volume);
        if (o.volume && yv != layout::LowerZero)
            filledBox(p, 5 * pos + 199, layout::LowerZero, 5 * pos + 201, pixel(yv), colours::VolumeBar);

        if (g.hasPriceAxis()) {
            if (!r.Close.isZero()) {
                const std::uint32_t c = r.Open >= r.Close ? colours::Falling : o.risingCandle();
                DrawCandle(p, x, pixel(g.yPrice(r.Low)), pixel(g.yPrice(r.High)), pixel(g.yPrice(r.Open)),
                           pixel(g.yPrice(r.Close)), c);
            }
            if (showAverages) {
                const Currency values[3] = {r.MaShort, r.MaMiddle, r.MaLong};
                for (int a = 0; a < 3; ++a) {
                    if (values[a].isZero())
                        maPoints[a].forget();
                    else
                        connect(p, maPoints[a], x, g.yPrice(values[a]), o.colourTable[size_t(a)]);
                }
            }
            const double d = pos - s.CenterIndex;
            const double q = s.QuadA.toDouble() + s.QuadB.toDouble() * d + s.QuadC.toDouble() * d * d;
            if (o.curve && q != 0.0)
                connect(p, curvePoint, x, g.yPrice(currencyFromDouble(q)), o.colourTable[ColourCurve]);
            else
                curvePoint.forget();
        }

        if (o.lowerPanelMode < 3)
            DrawOscillators(p, o, r.Psychological, r.Rsi, r.Vr, x, oscillators);

        if (weeklyMargins && g.hasMarginScale()) {
            if (r.MarginSell != 0)
                connect(p, sellPoint, x, g.yMargin(r.MarginSell), colours::MarginSell);
            if (r.MarginBuy != 0)
                connect(p, buyPoint, x, g.yMargin(r.MarginBuy), colours::MarginBuy);
        }
        if (dailyIto && g.hasItoScale() && r.ItoRatio > Currency())
            connect(p, itoPoint, x, g.yIto(r.ItoRatio), o.colourTable[ColourIto]);

        if (fillList)
            result.KabukaList.append(priceListRow(r));
    }

    if (fillList && !result.KabukaList.isEmpty()) {
        result.selectedRow = int(result.KabukaList.size()) - 1;
        result.labels = labelsForRecord(s, result.selectedRow);
        result.labels.Lblowarine = closeColumnValue(result.KabukaList.last());
    }
    result.labelsSet = true;
    result.Lblsaitakane = s.MaxHigh.toString();
    result.Lblsaiyasune = s.MinLow.toString();
    p.restore();
    return result;
}

QRect chartExtent(const ChartSeries &s, const ChartDisplayOptions &o)
{
    using namespace layout;
    QRect extent(QPoint(OuterLeft, OuterTop), QPoint(OuterRight, OuterBottom));
    const ChartGeometry g(s, o.periodMode);
    if (!g.hasVolumeScale())
        return extent;

    // A label is at most one em per character wide; a line of text is taller than its em.
    const QFontMetrics metrics(chartTextFont());
    const int em = std::max(metrics.maxWidth(), chartTextFont().pixelSize());
    for (const ChartLabel &label : chartLabels(s, g))
        extent |= QRect(label.topLeft - QPoint(1, 1), QSize(em * int(label.text.size()) + 2, metrics.height() + 2));

    // Every mark of a record lies in its column (the widest: candle and volume bar, x +- 1); lines join
    // the points of neighbouring columns, so the points' span bounds them. All the y a record may draw
    // count, whatever the options leave out.
    double top = OuterTop, bottom = OuterBottom;
    auto reach = [&](double y) {
        if (std::isnan(y))
            y = 0.0;
        y = std::clamp(y, -100000.0, 100000.0);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
    };
    for (int pos = 1; pos <= s.Count; ++pos) {
        const ChartRecord &r = s.Records[size_t(pos - 1)];
        reach(g.yVolume(r.Volume));
        if (g.hasPriceAxis()) {
            if (!r.Close.isZero())
                for (const Currency &v : {r.Low, r.High, r.Open, r.Close})
                    reach(g.yPrice(v));
            for (const Currency &v : {r.MaShort, r.MaMiddle, r.MaLong})
                if (!v.isZero())
                    reach(g.yPrice(v));
            const double d = pos - s.CenterIndex;
            const double q = s.QuadA.toDouble() + s.QuadB.toDouble() * d + s.QuadC.toDouble() * d * d;
            if (q != 0.0)
                reach(g.yPrice(currencyFromDouble(q)));
        }
        for (int percent : {int(r.Psychological), int(r.Rsi), int(r.Vr)})
            if (percent >= 0)
                reach(ChartGeometry::yPercent(percent));
        if (g.hasMarginScale()) {
            if (r.MarginSell != 0)
                reach(g.yMargin(r.MarginSell));
            if (r.MarginBuy != 0)
                reach(g.yMargin(r.MarginBuy));
        }
        if (g.hasItoScale() && r.ItoRatio > Currency())
            reach(g.yIto(r.ItoRatio));
    }
    if (s.Count > 0) {
        const int left = centreX(1) - 2, right = centreX(s.Count) + 2;
        extent |= QRect(QPoint(left, int(std::floor(top)) - 1), QPoint(right, int(std::ceil(bottom)) + 1));
    }
    return extent & QRect(0, 0, ImageWidth, ImageHeight);
}

QImage RenderChartImage(const ChartSeries &series, const ChartDisplayOptions &options, bool fillList,
                        ChartDrawResult *result)
{
    QImage image(layout::ImageWidth, layout::ImageHeight, QImage::Format_RGB32);
    image.fill(colorFromBgr(options.windowBackground));
    QPainter painter(&image);
    ChartDrawResult r = DrawChart(painter, series, options, fillList);
    painter.end();
    if (result)
        *result = std::move(r);
    return image;
}

} // namespace chart
