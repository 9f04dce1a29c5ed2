#include "MainWindowTestSupport.h"

#include "../chart/ChartTestSupport.h"
#include "chart/ChartView.h"
#include "chart/Indicators.h"

#include <QScreen>

using namespace chart;

// What the screen shows (the backing store, not a fresh paint) must be the chart image after every
// change of series, whatever the series before left outside the frame.
TEST(ChartViewTest, ARefreshLeavesExactlyTheNewChartOnTheScreen)
{
    mainwin_test::ensureApplication();
    std::vector<qint64> closes;
    for (int i = 0; i < 110; ++i)
        closes.push_back(1000 + 10 * i);
    ChartSeries plain = chart_test::seriesOf(closes);
    ComputeIndicators(plain, IndicatorSettings());
    ChartSeries adjusted = plain, reaching = plain;
    adjusted.Adjusted = true; // a label above the price axis
    for (int i = 0; i < 30; ++i) // a long average far above the top
        reaching.Records[size_t(i)].MaLong = reaching.ChartTop + Currency::fromInt(200 - 5 * i);

    ChartSeries series = adjusted;
    ChartDisplayOptions options;
    QWidget window;
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, colorFromBgr(options.windowBackground)); // as the image around the frame
    window.setPalette(palette);
    window.setAutoFillBackground(true);
    auto *view = new ChartView(series, options, &window);
    window.setFixedSize(view->size());
    window.show();
    const auto shows = [&](const ChartSeries &next, bool partPaintFirst) {
        const quint64 paints = view->paintCount();
        series = next;
        if (partPaintFirst) { // a paint of a corner only (an expose) before the refresh
            view->update(QRect(0, 0, 10, 10));
            EXPECT_TRUE(mainwin_test::waitFor([&] { return view->paintCount() > paints; }));
        }
        view->refresh();
        EXPECT_TRUE(mainwin_test::waitFor([&] { return view->paintCount() > paints + (partPaintFirst ? 1 : 0); }));
        QCoreApplication::processEvents();
        return window.screen()->grabWindow(window.winId()).toImage().convertToFormat(QImage::Format_RGB32)
            == RenderChartImage(next, options, false);
    };
    EXPECT_TRUE(shows(adjusted, false));
    EXPECT_TRUE(shows(plain, false));
    EXPECT_TRUE(shows(reaching, false));
    EXPECT_TRUE(shows(ChartSeries(), false));
    EXPECT_TRUE(shows(reaching, false));
    EXPECT_TRUE(shows(ChartSeries(), true));
    EXPECT_TRUE(shows(plain, false));
}
