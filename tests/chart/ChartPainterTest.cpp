#include "chart/ChartPainter.h"
#include "chart/ChartFonts.h"
#include "chart/Indicators.h"
#include "chart/PriceList.h"

#include "ChartTestSupport.h"

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <functional>
#include <limits>

using namespace chart;
using chart_test::seriesOf;

namespace {

class ChartPainterTest : public ::testing::Test
{
protected:
    void SetUp() override { chart_test::ensureGuiApplication(); }

    static QColor at(const QImage &image, int x, int y) { return QColor(image.pixel(x, y)); }

    static int countColour(const QImage &image, QRect area, const QColor &colour)
    {
        int n = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                n += QColor(image.pixel(x, y)) == colour ? 1 : 0;
        return n;
    }

    static int countOther(const QImage &image, QRect area, const QColor &colour)
    {
        return area.width() * area.height() - countColour(image, area, colour);
    }

    // 40 records rising by 10 from 1000, computed with the default periods.
    static ChartSeries rising(int count = 40)
    {
        std::vector<qint64> closes;
        for (int i = 0; i < count; ++i)
            closes.push_back(1000 + 10 * i);
        ChartSeries s = seriesOf(closes);
        ComputeIndicators(s, IndicatorSettings());
        return s;
    }

    const QColor windowGrey = colorFromBgr(colours::WindowDaily);
    const QColor black = QColor(0, 0, 0);
    const QColor white = QColor(255, 255, 255);
    const QColor grid = colorFromBgr(colours::Grid);
};

} // namespace

TEST_F(ChartPainterTest, AnEmptySeriesOrOneWithoutVolumeDrawsTheFrameAndGridOnly)
{
    ChartSeries s;
    s.clear();
    ComputeIndicators(s, IndicatorSettings());
    ChartDrawResult result;
    const QImage image = RenderChartImage(s, ChartDisplayOptions(), true, &result);
    ASSERT_EQ(image.size(), QSize(820, 460));
    EXPECT_EQ(at(image, 150, 200), windowGrey);
    EXPECT_EQ(at(image, 810, 450), windowGrey);
    EXPECT_EQ(at(image, 201, 101), black);
    EXPECT_EQ(at(image, 756, 436), black);
    // Dotted grid: grey and background alternate along y = 292 and x = 250.
    const QRect row(201, 292, 48, 1);
    EXPECT_GT(countColour(image, row, grid), 10);
    EXPECT_GT(countColour(image, row, black), 10);
    const QRect column(250, 101, 1, 60);
    EXPECT_GT(countColour(image, column, grid), 10);
    EXPECT_GT(countColour(image, column, black), 10);
    // The separator is white and dotted.
    EXPECT_GT(countColour(image, QRect(201, 356, 48, 1), white), 10);
    EXPECT_GT(countColour(image, QRect(201, 356, 48, 1), black), 10);
    // No labels: the left axis strip keeps the window colour (ticks aside).
    EXPECT_EQ(countColour(image, QRect(145, 101, 48, 10), windowGrey), 48 * 10);
    EXPECT_EQ(countColour(image, QRect(145, 441, 600, 11), windowGrey), 600 * 11); // no dates
    EXPECT_TRUE(result.listFilled);
    EXPECT_TRUE(result.KabukaList.isEmpty());
    EXPECT_FALSE(result.labelsSet);

    // Prices with all volumes zero draw the same frame: no candles, no labels, no list rows.
    s = seriesOf({1000, 1010, 1020, 1030, 1040, 1050});
    for (int k = 0; k < s.Count; ++k)
        s.Records[k].Volume = 0;
    ComputeIndicators(s, IndicatorSettings());
    ChartDrawResult zeroResult;
    const QImage zeroVolumes = RenderChartImage(s, ChartDisplayOptions(), true, &zeroResult);
    const QRect plot(201, 101, 556, 250);
    EXPECT_EQ(countColour(zeroVolumes, plot, black) + countColour(zeroVolumes, plot, grid), 556 * 250);
    EXPECT_EQ(countColour(zeroVolumes, QRect(145, 101, 48, 10), windowGrey), 48 * 10);
    EXPECT_TRUE(zeroResult.KabukaList.isEmpty());
}

TEST_F(ChartPainterTest, RisingAndFallingCandlesTakeTheirColoursAtTheirX)
{
    ChartSeries s = seriesOf({1000, 1000, 1000});
    // Position 2 rises 1000 -> 1100, position 3 falls 1100 -> 1000.
    s.Records[1].Open = Currency::fromInt(1000);
    s.Records[1].Close = s.Records[1].High = Currency::fromInt(1100);
    s.Records[2].Open = s.Records[2].High = Currency::fromInt(1100);
    s.Records[2].Close = Currency::fromInt(1000);
    ComputeIndicators(s, IndicatorSettings());
    ASSERT_EQ(s.ChartTop, Currency::fromInt(1110));
    ASSERT_EQ(s.ChartBottom, Currency::fromInt(1000));
    ChartDisplayOptions o;
    o.volume = false;
    for (int mode : {1, 2}) {
        o.screenMode = mode;
        const QImage image = RenderChartImage(s, o, false);
        const ChartGeometry g(s, 1);
        const int mid = int(g.yPrice(Currency::fromInt(1050)));
        const QColor risingColour = colorFromBgr(mode == 1 ? 0x0000FF : 0x8080FF);
        const QColor background = colorFromBgr(mode == 1 ? 0x000000 : 0x404040);
        EXPECT_EQ(at(image, 5 * 2 + 199, mid), risingColour) << mode;
        EXPECT_EQ(at(image, 5 * 2 + 201, mid), risingColour) << mode;
        EXPECT_EQ(at(image, 5 * 3 + 199, mid), colorFromBgr(0xE0E0E0)) << mode;
        EXPECT_EQ(at(image, 5 * 3 + 202, mid), background) << mode;
        EXPECT_EQ(at(image, 5 * 2 + 198, mid), background) << mode;
    }
}

TEST_F(ChartPainterTest, PriceAxisEndsLandOnTheirPixels)
{
    ChartSeries s = seriesOf({1100, 1100});
    s.Records[0].High = Currency::fromInt(1240); // ChartTop 1250
    s.Records[1].Low = Currency::fromInt(980); // ChartBottom 980
    s.Records[1].Open = Currency::fromInt(1200);
    ComputeIndicators(s, IndicatorSettings());
    s.Records[1].High = Currency::fromInt(1250);
    ASSERT_EQ(s.ChartTop, Currency::fromInt(1250));
    ASSERT_EQ(s.ChartBottom, Currency::fromInt(980));
    ChartDisplayOptions o;
    o.volume = false;
    const QImage image = RenderChartImage(s, o, false);
    const QColor falling = colorFromBgr(0xE0E0E0);
    // The wick of position 2 runs from y(1250) = 100 to y(980) = 355.96.
    EXPECT_EQ(at(image, 210, 100), falling);
    EXPECT_EQ(at(image, 210, 356), falling);
    EXPECT_NE(at(image, 210, 358), falling);
}

TEST_F(ChartPainterTest, VolumeBarsAreWhiteFollowTheCheckBoxAndNeedNoPriceAxis)
{
    ChartSeries s = seriesOf({1000, 0, 1010});
    s.Records[1].Volume = 500; // no trade, but volume
    ComputeIndicators(s, IndicatorSettings());
    ChartDisplayOptions o;
    const QImage with = RenderChartImage(s, o, false);
    // MaxVolume 1000: the full bar reaches y 356; the half bar of position 2 reaches 396.
    EXPECT_EQ(at(with, 5 * 1 + 200, 360), white);
    EXPECT_EQ(at(with, 5 * 2 + 199, 400), white);
    EXPECT_NE(at(with, 5 * 2 + 199, 390), white);
    // No candle for the no-trade day.
    EXPECT_EQ(countColour(with, QRect(5 * 2 + 199, 101, 3, 250), colorFromBgr(0xE0E0E0)), 0);
    o.volume = false;
    const QImage without = RenderChartImage(s, o, false);
    EXPECT_EQ(countColour(without, QRect(201, 357, 20, 79), white), 0);

    // Without a price axis the volume is still drawn, and no candle.
    s = seriesOf(std::vector<qint64>(20, 1000));
    for (int k = 0; k < 20; ++k) {
        s.Records[k].High = Currency::fromInt(995);
        s.Records[k].Low = Currency::fromInt(1005);
    }
    ComputeIndicators(s, IndicatorSettings());
    ASSERT_EQ(s.ChartTop, s.ChartBottom);
    o = ChartDisplayOptions();
    o.curve = true;
    o.lowerPanelMode = 3;
    const QImage image = RenderChartImage(s, o, false);
    EXPECT_EQ(at(image, 205, 400), white);
    EXPECT_EQ(countColour(image, QRect(201, 101, 556, 250), colorFromBgr(0xE0E0E0)), 0);
}

TEST_F(ChartPainterTest, AveragesFollowTheColourTableAndCanBeShownAgain)
{
    const ChartSeries s = rising();
    ChartDisplayOptions o;
    o.volume = false;
    const QImage shown = RenderChartImage(s, o, false);
    const QColor shortColour = colorFromBgr(0x80FF80);
    EXPECT_GT(countColour(shown, QRect(201, 101, 556, 255), shortColour), 50);
    toggleAverages(o.colourTable);
    EXPECT_FALSE(averagesShown(o.colourTable));
    const QImage hidden = RenderChartImage(s, o, false);
    EXPECT_EQ(countColour(hidden, QRect(201, 101, 556, 255), shortColour), 0);
    toggleAverages(o.colourTable);
    EXPECT_EQ(o.colourTable, defaultColourTable());
    EXPECT_EQ(RenderChartImage(s, o, false), shown);
}

TEST_F(ChartPainterTest, LowerPanelModesChooseTheOscillatorsAndTheItoLine)
{
    const ChartSeries s = rising(60);
    ASSERT_GT(s.ItoMaxAngle, Currency());
    ChartDisplayOptions o;
    o.volume = false;
    const QRect lower(201, 357, 556, 79);
    const QRect separatorRow(201, 350, 556, 12);
    const QColor psychological = colorFromBgr(0x0080FF);
    const QColor vr = colorFromBgr(0xFF8080);
    o.lowerPanelMode = 2;
    QImage image = RenderChartImage(s, o, false);
    EXPECT_GT(countColour(image, separatorRow, psychological) + countColour(image, lower, psychological), 50);
    EXPECT_EQ(countColour(image, separatorRow, vr), 0);
    o.lowerPanelMode = 1;
    image = RenderChartImage(s, o, false);
    EXPECT_GT(countColour(image, separatorRow, vr), 50);
    EXPECT_EQ(countColour(image, separatorRow, psychological) + countColour(image, lower, psychological), 0);
    o.lowerPanelMode = 4;
    image = RenderChartImage(s, o, false);
    EXPECT_EQ(countColour(image, separatorRow, vr) + countColour(image, separatorRow, psychological), 0);

    // The Ito ratio line of daily charts: its own mode, or every mode when the setting asks.
    const QColor ito = colorFromBgr(0xFF80FF);
    const QRect itoArea(201, 350, 556, 87);
    o.lowerPanelMode = 3;
    EXPECT_GT(countColour(RenderChartImage(s, o, false), itoArea, ito), 20);
    o.lowerPanelMode = 0;
    EXPECT_EQ(countColour(RenderChartImage(s, o, false), itoArea, ito), 0);
    o.allItoRso = 2;
    EXPECT_GT(countColour(RenderChartImage(s, o, false), itoArea, ito), 20);
}

TEST_F(ChartPainterTest, WeeklyMarginLinesBridgeWeeksWithoutABalance)
{
    ChartSeries s = seriesOf(std::vector<qint64>(10, 1000));
    for (int k = 0; k < 10; ++k) {
        s.Records[k].MarginSell = k == 4 ? 0 : 1000;
        s.Records[k].MarginBuy = 2000;
    }
    ComputeIndicators(s, IndicatorSettings());
    ChartDisplayOptions o;
    o.periodMode = 2;
    o.volume = false;
    o.lowerPanelMode = 3;
    o.windowBackground = colours::WindowWeekly;
    const QImage image = RenderChartImage(s, o, false);
    const QColor sell = colorFromBgr(0x0000FF);
    const QColor buy = colorFromBgr(0x00FFFF);
    // y(1000) = 436 - 0.0381 * 1000 = 397.9; position 5 (no balance) lies on the bridge.
    const int x5 = 200 + 5 * 5;
    EXPECT_GT(countColour(image, QRect(x5, 396, 1, 4), sell), 0);
    EXPECT_GT(countColour(image, QRect(x5, 357, 1, 4), buy), 0); // y(2000) = 359.8
    o.lowerPanelMode = 1;
    EXPECT_EQ(countColour(RenderChartImage(s, o, false), QRect(201, 357, 556, 79), sell), 0);
}

// The list rows and the labels write their numbers and dates directly: they must read as the
// currency type and Qt write them.
TEST(ListText, WritesNumbersAndDatesAsCurrencyAndQtDo)
{
    const std::int64_t limit = std::numeric_limits<std::int64_t>::max();
    for (const std::int64_t raw : {std::int64_t(0), std::int64_t(1), std::int64_t(-1), std::int64_t(10000),
                                   std::int64_t(-10000), std::int64_t(12345000), std::int64_t(-12340500),
                                   std::int64_t(10010), std::int64_t(99999999), limit, -limit, -limit - 1}) {
        const Currency c = Currency::fromRaw(raw);
        EXPECT_EQ(numberText(c), raw < 0 ? c.toString() : QLatin1Char(' ') + c.toString()) << raw;
        const QString whole = QString::number(raw);
        EXPECT_EQ(numberText(qint64(raw)), raw < 0 ? whole : QLatin1Char(' ') + whole) << raw;
    }

    for (const QDate &d : {QDate(2024, 6, 14), QDate(2000, 1, 1), QDate(1999, 12, 31), QDate(2009, 10, 5),
                           QDate(5, 3, 9), QDate(9999, 12, 31), QDate(-44, 3, 15), QDate(12345, 1, 2), QDate()}) {
        EXPECT_EQ(shortDateText(d, QLatin1Char('/')), d.toString(QStringLiteral("yy/MM/dd"))) << qPrintable(d.toString());
        EXPECT_EQ(shortDateText(d, QLatin1Char(',')), d.toString(QStringLiteral("yy,MM,dd"))) << qPrintable(d.toString());
    }
}

// Labels are laid out once per text and font and reused: each must still come out as drawText
// writes it, whatever was drawn before and in whichever font.
TEST_F(ChartPainterTest, LabelsComeOutAsDrawTextWritesThemAfterOtherTextsAndFonts)
{
    QFont larger = chartTextFont();
    larger.setPixelSize(20);
    const QPen pen(QColor(10, 20, 30));
    const auto canvas = [] {
        QImage image(160, 40, QImage::Format_RGB32);
        image.fill(Qt::white);
        return image;
    };
    for (const QFont &font : {chartTextFont(), larger}) {
        for (const auto &[before, text] : {std::pair{QStringLiteral(" 1000"), QStringLiteral(" 2000")},
                                           {QStringLiteral(" 2000"), QStringLiteral(" 2000")},
                                           {QStringLiteral("千株"), QStringLiteral(" 12.5")}}) {
            QImage labelled = canvas();
            {
                QPainter p(&labelled);
                p.setFont(font);
                DrawChartLabel(p, {QPoint(5, 5), before}, pen);
                p.fillRect(labelled.rect(), Qt::white);
                DrawChartLabel(p, {QPoint(5, 5), text}, pen);
            }
            QImage written = canvas();
            {
                QPainter p(&written);
                p.setFont(font);
                p.setPen(pen);
                p.drawText(QPoint(5, 5 + QFontMetrics(font).ascent()), text);
            }
            EXPECT_EQ(labelled, written) << qPrintable(text) << " after" << qPrintable(before) << " at "
                                         << font.pixelSize() << " px";
        }
    }
}

// Candles are filled rather than stroked: every arrangement of low, high, open and close (upside
// down and of one pixel included) must cover the pixels of the wick line and the body's outline.
TEST_F(ChartPainterTest, CandlesCoverThePixelsOfTheirWickAndOutline)
{
    const std::uint32_t colour = 0x0000FF;
    const auto canvas = [] {
        QImage image(12, 12, QImage::Format_RGB32);
        image.fill(Qt::black);
        return image;
    };
    for (int low = 1; low <= 9; low += 2)
        for (int high = 1; high <= 9; high += 2)
            for (int open = 2; open <= 8; ++open)
                for (int close = 2; close <= 8; ++close) {
                    QImage filled = canvas();
                    {
                        QPainter p(&filled);
                        DrawCandle(p, 5, low, high, open, close, colour);
                    }
                    QImage stroked = canvas();
                    {
                        QPainter p(&stroked);
                        QPen pen(colorFromBgr(colour));
                        pen.setCosmetic(true);
                        p.setPen(pen);
                        p.drawLine(5, low, 5, high);
                        const QRect r = QRect(QPoint(4, open), QPoint(6, close)).normalized();
                        p.drawRect(r.x(), r.y(), r.width() - 1, r.height() - 1);
                    }
                    EXPECT_EQ(filled, stroked) << low << " " << high << " " << open << " " << close;
                }
}

// The frame is copied from an image kept per pair of backgrounds: whichever frame was drawn before,
// it must come out as painted afresh (a painter in Source mode paints it afresh; with opaque colours
// the pixels are the same).
TEST_F(ChartPainterTest, FramesFollowTheirBackgroundsWhicheverWasDrawnBefore)
{
    for (const auto &[window, screenMode] : {std::pair{colours::WindowDaily, 1}, {colours::WindowWeekly, 1}, {colours::WindowDaily, 2}, {colours::WindowWeekly, 2}, {colours::WindowDaily, 1}}) {
        ChartDisplayOptions o;
        o.windowBackground = window;
        o.screenMode = screenMode;
        const auto frame = [&](QPainter::CompositionMode mode) {
            QImage image(layout::ImageWidth, layout::ImageHeight, QImage::Format_RGB32);
            image.fill(Qt::white);
            QPainter p(&image);
            p.setCompositionMode(mode);
            DrawChartFrame(p, o);
            return image;
        };
        EXPECT_EQ(frame(QPainter::CompositionMode_SourceOver), frame(QPainter::CompositionMode_Source))
            << window << " " << screenMode;
    }
}

TEST_F(ChartPainterTest, PriceListRowsAndLabelsAndTheAxisLabelsOnTheImage)
{
    ChartSeries s = seriesOf({1200, 1230});
    ChartRecord &r = s.Records[1];
    r.Date = QDate(2020, 6, 2);
    r.Open = Currency::fromInt(1210);
    r.High = Currency::fromInt(1250);
    r.Low = Currency::fromInt(1190);
    r.Change = Currency::fromInt(-30);
    r.Volume = 57000;
    ComputeIndicators(s, IndicatorSettings());
    s.Records[1].DevShort = 125;
    s.Records[1].DevMiddle = -30;
    ChartDrawResult result;
    RenderChartImage(s, ChartDisplayOptions(), true, &result);
    ASSERT_EQ(result.KabukaList.size(), 2);
    const QString row = result.KabukaList[1];
    EXPECT_EQ(row, QStringLiteral("20/06/02        1210       1250       1190       1230        -30       57000"));
    EXPECT_EQ(result.selectedRow, 1);
    EXPECT_EQ(result.labels.LblDate, QStringLiteral("20/06/02"));
    EXPECT_EQ(result.labels.Lblowarine, QStringLiteral("1230"));
    EXPECT_EQ(result.labels.Lbltankairi, QStringLiteral("12.5"));
    EXPECT_EQ(result.labels.Lbltyukairi, QStringLiteral("-3"));
    EXPECT_EQ(result.labels.LblRSI, QStringLiteral("-1"));
    EXPECT_EQ(result.Lblsaitakane, QStringLiteral("1250"));
    EXPECT_EQ(result.Lblsaiyasune, QStringLiteral("1190"));
    EXPECT_EQ(closeColumnValue(QStringLiteral("20/06/02")), QStringLiteral("0"));

    // The axis labels are drawn on the image.
    const QImage image = RenderChartImage(rising(), ChartDisplayOptions(), false);
    // ChartTop at the left (y 100 to 112) and the date of position 20 under the plot.
    EXPECT_GT(countOther(image, QRect(145, 101, 48, 11), windowGrey), 5);
    EXPECT_GT(countOther(image, QRect(280, 442, 48, 11), windowGrey), 5);
    EXPECT_GT(countOther(image, QRect(765, 431, 18, 11), windowGrey), 3); // " 0%"
}

TEST_F(ChartPainterTest, QuadraticCurveFollowsItsCheckBox)
{
    std::vector<qint64> closes;
    for (int p = 1; p <= 61; ++p)
        closes.push_back(1000 + (p - 31) * (p - 31));
    ChartSeries s = seriesOf(closes);
    ComputeIndicators(s, IndicatorSettings());
    ChartDisplayOptions o;
    o.volume = false;
    o.lowerPanelMode = 4;
    const QColor curve = colorFromBgr(0x0080FF);
    const QRect pricePanel(201, 101, 556, 254);
    EXPECT_EQ(countColour(RenderChartImage(s, o, false), pricePanel, curve), 0);
    o.curve = true;
    const QImage image = RenderChartImage(s, o, false);
    EXPECT_GT(countColour(image, pricePanel, curve), 100);
    // The fitted parabola passes through its lowest close at the centre (position 31).
    const ChartGeometry g(s, 1);
    const int y = int(g.yPrice(Currency::fromInt(1000)));
    EXPECT_GT(countColour(image, QRect(200 + 5 * 31 - 2, y - 2, 5, 5), curve), 0);
}

namespace {

// The inked pixels of a label as the chart prints it, found by painting it alone.
QRect inkOf(const ChartLabel &label)
{
    QImage image(layout::ImageWidth, layout::ImageHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(chartTextFont());
    painter.setPen(Qt::black);
    painter.drawText(QPoint(label.topLeft.x(), label.topLeft.y() + QFontMetrics(painter.font()).ascent()), label.text);
    painter.end();
    QRect ink;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (QColor(image.pixel(x, y)).lightness() < 160)
                ink |= QRect(x, y, 1, 1);
    return ink;
}

// Labels keep 2 blank pixels between each other (a character's width between labels on one line,
// such as the dates) and 2 from every tick, and the left-axis labels stay clear of the issue list
// (which ends at x 139) and of the plot.
void expectLabelsApart(const ChartSeries &s, int periodMode)
{
    const std::vector<ChartLabel> labels = chartLabels(s, ChartGeometry(s, periodMode));
    ASSERT_FALSE(labels.empty());
    std::vector<QRect> inks;
    for (const ChartLabel &l : labels)
        inks.push_back(inkOf(l));
    for (size_t i = 0; i < labels.size(); ++i) {
        const QRect &a = inks[i];
        if (a.isEmpty())
            continue;
        if (a.left() < layout::PlotLeft) {
            EXPECT_GE(a.left(), 141) << labels[i].text.toStdString();
            EXPECT_LT(a.right(), layout::PlotLeft) << labels[i].text.toStdString();
        }
        for (size_t j = i + 1; j < labels.size(); ++j) {
            const int gap = labels[i].topLeft.y() == labels[j].topLeft.y() ? 6 : 2;
            EXPECT_FALSE(a.adjusted(-gap, -gap, gap, gap).intersects(inks[j]))
                << labels[i].text.toStdString() << " / " << labels[j].text.toStdString();
        }
        for (const QLine &t : frameTicks())
            EXPECT_FALSE(a.adjusted(-2, -2, 2, 2).intersects(QRect(t.p1(), t.p2()).normalized()))
                << labels[i].text.toStdString() << " / tick at " << t.y1();
    }
}

} // namespace

TEST_F(ChartPainterTest, LabelsKeepClearOfEachOtherTheTicksAndTheIssueList)
{
    // A full daily chart whose volumes have 9 digits: every date label and the widest left labels.
    std::vector<qint64> closes;
    for (int i = 0; i < SeriesLength; ++i)
        closes.push_back(98000 + 37 * i);
    ChartSeries daily = seriesOf(closes);
    for (int i = 0; i < SeriesLength; ++i)
        daily.Records[size_t(i)].Volume = 100000000 + 7654321 * i;
    ComputeIndicators(daily, IndicatorSettings());
    expectLabelsApart(daily, 1);

    // Weekly volumes of 10 digits are shown in thousands.
    ChartSeries weekly = rising(60);
    for (int i = 0; i < 60; ++i)
        weekly.Records[size_t(i)].Volume = 2000000000 - 1000 * i;
    ComputeIndicators(weekly, IndicatorSettings());
    expectLabelsApart(weekly, 2);
    const std::vector<ChartLabel> labels = chartLabels(weekly, ChartGeometry(weekly, 2));
    EXPECT_TRUE(std::any_of(labels.begin(), labels.end(), [](const ChartLabel &l) {
        return l.text == QStringLiteral("千株");
    }));
    EXPECT_TRUE(std::any_of(labels.begin(), labels.end(), [](const ChartLabel &l) {
        return l.text == QStringLiteral(" 2000000");
    }));
}

TEST_F(ChartPainterTest, AnAdjustedChartSaysSoClearOfTheOtherLabels)
{
    ChartSeries s = rising(110);
    ComputeIndicators(s, IndicatorSettings());
    const auto adjustedLabels = [&] {
        const std::vector<ChartLabel> labels = chartLabels(s, ChartGeometry(s, 1));
        return std::count_if(labels.begin(), labels.end(), [](const ChartLabel &l) { return l.text == QStringLiteral("分割調整"); });
    };
    EXPECT_EQ(adjustedLabels(), 0);
    s.Adjusted = true;
    EXPECT_EQ(adjustedLabels(), 1);
    expectLabelsApart(s, 1);
}

// Every pixel the chart paints lies in its extent, also for marks out of the frame (labels, a long
// average far above the top, a volume ratio of 500 %, a curve bending out); each case is checked to
// reach out of the frame further than the plain chart, so that it tests its own part of the extent.
TEST_F(ChartPainterTest, TheExtentHoldsEveryPixelTheChartPaints)
{
    const auto outside = [](const ChartSeries &s, const ChartDisplayOptions &o, const QRect &area) {
        QImage image(layout::ImageWidth, layout::ImageHeight, QImage::Format_RGB32);
        image.fill(Qt::magenta);
        QPainter p(&image);
        DrawChart(p, s, o, false);
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                n += !area.contains(x, y) && QColor(image.pixel(x, y)) != QColor(Qt::magenta) ? 1 : 0;
        return n;
    };
    const QRect frame(QPoint(layout::OuterLeft, layout::OuterTop), QPoint(layout::OuterRight, layout::OuterBottom));
    const ChartSeries plain = rising(110);
    ChartDisplayOptions o;
    EXPECT_EQ(chartExtent(ChartSeries(), o), frame);
    const int plainOutside = outside(plain, o, frame);
    EXPECT_GT(plainOutside, 0);
    const std::function<void(ChartSeries &, ChartDisplayOptions &)> cases[] = {
        [](ChartSeries &, ChartDisplayOptions &) {},
        [](ChartSeries &s, ChartDisplayOptions &) { s.Adjusted = true; },
        [](ChartSeries &s, ChartDisplayOptions &) {
            for (int i = 0; i < 30; ++i)
                s.Records[size_t(i)].MaLong = s.ChartTop + Currency::fromInt(200 - 5 * i);
        },
        [](ChartSeries &s, ChartDisplayOptions &o) { s.Records[60].Vr = 500, o.lowerPanelMode = 1; },
        [](ChartSeries &s, ChartDisplayOptions &o) { s.QuadC = Currency::fromDouble(0.05), o.curve = true; },
    };
    for (size_t c = 0; c < std::size(cases); ++c) {
        ChartSeries s = plain;
        ChartDisplayOptions options;
        cases[c](s, options);
        EXPECT_EQ(outside(s, options, chartExtent(s, options)), 0) << "case " << c;
        if (c > 0) {
            EXPECT_GT(outside(s, options, frame), plainOutside) << "case " << c;
        }
    }
}
