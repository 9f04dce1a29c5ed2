#pragma once

// The main window's navigation rules that need no window: the captions of the lower-panel,
// moving-average and slide-show controls, the record under a click on the chart, the price list
// as the chart fills it.

#include "chart/PriceList.h"

#include <QFont>
#include <QString>
#include <QStringList>

namespace chart {

struct ChartSeries;

// The lower-panel button: 0 -> 1 -> 2 -> 3 -> 4 -> 0.
int nextLowerPanelMode(int mode);
// "ALL", "RSI VR", "ｻｲｺﾛｼﾞｶﾙ", "伊藤ﾚｼｵ" (daily) or "信用取引" (weekly), "表示なし".
QString lowerPanelCaption(int mode, int periodMode);

// "移動平均有" while the averages are drawn, "移動平均無" while they are hidden.
QString averagesCaption(bool shown);

// "ﾁｬｰﾄ・ｽﾗｲﾄﾞｼｮｰ・ｽﾄｯﾌﾟ" while the show runs, "ﾁｬｰﾄ・ｽﾗｲﾄﾞｼｮｰ・ｽﾀｰﾄ" otherwise.
QString slideShowCaption(bool running);
// The slide show's interval: the setting slidechart (seconds) as milliseconds, rounded, at least 1.
int slideShowInterval(double slidechartSeconds);

// The price-list row under a click at window x: nearest((x - 200) / 5 - 1), or -1 when that is
// not a row of a list of rowCount rows.
int chartClickRow(int x, int rowCount);

// What DrawChart(True) puts into the price list and the labels beside it.
struct PriceListFill
{
    QStringList rows; // index 0 the oldest record; empty when the chart stops at the frame
    int selectedRow = -1; // the newest row
    bool labelsSet = false; // false when the chart has nothing but its frame
    QString Lblsaitakane; // MaxHigh
    QString Lblsaiyasune; // MinLow
};
PriceListFill priceListOf(const ChartSeries &series);
// True when the rows are of one length and hold only half-width characters of one advance in the
// font: every row then takes the same room, and a list may lay out one row for all.
bool rowsOfOneWidth(const QStringList &rows, const QFont &font);

// True when a price-list row starts with a date ("YY/MM/DD").
bool rowStartsWithDate(const QString &row);

} // namespace chart
