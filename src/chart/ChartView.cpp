#include "chart/ChartView.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

ChartView::ChartView(const chart::ChartSeries &series, const chart::ChartDisplayOptions &options, QWidget *parent)
    : QWidget(parent), m_series(series), m_options(options)
{
    setObjectName(QStringLiteral("chartView"));
    setFixedSize(chart::layout::ImageWidth, chart::layout::ImageHeight);
    m_shown = rect();
}

void ChartView::refresh()
{
    update(m_shown | chart::chartExtent(m_series, m_options));
}

void ChartView::paintEvent(QPaintEvent *event)
{
    // The chart paints nothing outside its extent. Clipped to it, the part to paint is mostly a
    // single rectangle rather than the extent and the controls above that changed with it, and lines
    // are drawn much faster into a rectangle.
    const QRect drawn = chart::chartExtent(m_series, m_options);
    const QRegion part = event->region() & drawn;
    if (!part.isEmpty()) {
        QPainter painter(this);
        painter.setClipRegion(part);
        chart::DrawChart(painter, m_series, m_options, false);
    }
    // A paint of part of the chart leaves the rest of what was shown before on the screen.
    m_shown = (QRegion(m_shown) - event->region()).isEmpty() ? drawn : (m_shown | drawn);
    ++m_paints;
}

void ChartView::mousePressEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    Q_EMIT pressed(p.x(), p.y());
    QWidget::mousePressEvent(event);
}
