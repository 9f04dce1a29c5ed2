#include "MainWindowTestSupport.h"

#include "../chart/ChartTestSupport.h"
#include "chart/ChartView.h"
#include "chart/Indicators.h"

#include <QScreen>

namespace {

using namespace chart;

// The chart area as the screen shows it: what the window's backing store holds, not a fresh paint.
QImage shown(QWidget &window)
{
    QCoreApplication::processEvents();
    return window.screen()->grabWindow(window.winId()).toImage().convertToFormat(QImage::Format_RGB32);
}

ChartSeries risingSeries()
{
    std::vector<qint64> closes;
    for (int i = 0; i < 110; ++i)
        closes.push_back(1000 + 10 * i);
    ChartSeries s = chart_test::seriesOf(closes);
    ComputeIndicators(s, IndicatorSettings());
    return s;
}

// Shows the view in a window of its own size and waits for the first paint.
struct ShownView
{
    ChartSeries series;
    ChartDisplayOptions options;
    QWidget window;
    ChartView *view = nullptr;

    explicit ShownView(const ChartSeries &s)
        : series(s)
    {
        view = new ChartView(series, options, &window);
        // The window's background as the chart image has it around the outer area.
        QPalette palette = window.palette();
        palette.setColor(QPalette::Window, colorFromBgr(options.windowBackground));
        window.setPalette(palette);
        window.setAutoFillBackground(true);
        window.setFixedSize(view->size());
        window.show();
        EXPECT_TRUE(mainwin_test::waitFor([&] { return view->paintCount() > 0; }));
    }
    void change(const ChartSeries &s)
    {
        const quint64 paints = view->paintCount();
        series = s;
        view->refresh();
        EXPECT_TRUE(mainwin_test::waitFor([&] { return view->paintCount() > paints; }));
    }
};

} // namespace

TEST(ChartViewTest, ARefreshLeavesNothingOfTheChartBeforeWhereTheNewOneDoesNotPaint)
{
    mainwin_test::ensureApplication();
    const ChartSeries plain = risingSeries();
    ChartSeries adjusted = plain;
    adjusted.Adjusted = true; // a label above the price axis, outside the frame
    ChartSeries reaching = plain;
    for (int i = 0; i < 30; ++i)
        reaching.Records[size_t(i)].MaLong = reaching.ChartTop + Currency::fromInt(200 - 5 * i);

    ShownView fresh(plain);
    const QImage expected = shown(fresh.window);
    EXPECT_EQ(expected, RenderChartImage(plain, fresh.options, false));

    ShownView reused(adjusted);
    ASSERT_NE(shown(reused.window), expected);
    reused.change(plain);
    EXPECT_EQ(shown(reused.window), expected);

    reused.change(reaching);
    EXPECT_EQ(shown(reused.window), RenderChartImage(reaching, reused.options, false));
    ASSERT_NE(shown(reused.window), expected);
    reused.change(ChartSeries());
    reused.change(plain);
    EXPECT_EQ(shown(reused.window), expected);

    // A paint of part of the view in between: the lines it left outside that part still go.
    reused.change(reaching);
    reused.series = ChartSeries();
    reused.view->update(QRect(0, 0, 10, 10));
    shown(reused.window);
    reused.change(plain);
    EXPECT_EQ(shown(reused.window), expected);
}
