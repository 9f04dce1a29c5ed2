#pragma once

// The chart area of the main window. It covers the window's chart geometry one to one (pixel
// (x, y) of the widget is the point (x, y) of the chart layout); its paintEvent hands a painter
// and the window's display options to the chart engine and nothing else.

#include "chart/ChartPainter.h"

#include <QWidget>

class ChartView final : public QWidget
{
    Q_OBJECT

public:
    ChartView(const chart::ChartSeries &series, const chart::ChartDisplayOptions &options, QWidget *parent = nullptr);

    // Schedules the paint of a changed series or changed options: only the part the chart shown
    // and the chart to come cover, so that the controls standing on the rest are left alone.
    void refresh();

    // Paint events handled so far (the switch benchmark waits for the next one).
    quint64 paintCount() const { return m_paints; }

Q_SIGNALS:
    // A mouse button went down at window x.
    void pressed(int x, int y);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    const chart::ChartSeries &m_series;
    const chart::ChartDisplayOptions &m_options;
    QRect m_shown; // holds every pixel of the charts the screen may still show
    quint64 m_paints = 0;
};
