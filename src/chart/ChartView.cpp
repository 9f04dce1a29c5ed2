#include "chart/ChartView.h"

#include <QMouseEvent>
#include <QPainter>

ChartView::ChartView(const chart::ChartSeries &series, const chart::ChartDisplayOptions &options, QWidget *parent)
    : QWidget(parent), m_series(series), m_options(options)
{
    setObjectName(QStringLiteral("chartView"));
    setFixedSize(chart::layout::ImageWidth, chart::layout::ImageHeight);
}

void ChartView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    chart::DrawChart(painter, m_series, m_options, false);
    ++m_paints;
}

void ChartView::mousePressEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    Q_EMIT pressed(p.x(), p.y());
    QWidget::mousePressEvent(event);
}
