#include "chart/Navigation.h"

#include "base/Currency.h"
#include "base/DateUtil.h"
#include "chart/ChartSeries.h"

#include <QFontMetrics>

#include <bitset>
#include <cmath>

namespace chart {

int nextLowerPanelMode(int mode)
{
    return mode >= 4 || mode < 0 ? 0 : mode + 1;
}

QString lowerPanelCaption(int mode, int periodMode)
{
    switch (mode) {
    case 1:
        return QStringLiteral("RSI VR");
    case 2:
        return QStringLiteral("ｻｲｺﾛｼﾞｶﾙ");
    case 3:
        return periodMode == 2 ? QStringLiteral("信用取引") : QStringLiteral("伊藤ﾚｼｵ");
    case 4:
        return QStringLiteral("表示なし");
    default:
        return QStringLiteral("ALL");
    }
}

QString averagesCaption(bool shown)
{
    return shown ? QStringLiteral("移動平均有") : QStringLiteral("移動平均無");
}

QString slideShowCaption(bool running)
{
    return running ? QStringLiteral("ﾁｬｰﾄ・ｽﾗｲﾄﾞｼｮｰ・ｽﾄｯﾌﾟ") : QStringLiteral("ﾁｬｰﾄ・ｽﾗｲﾄﾞｼｮｰ・ｽﾀｰﾄ");
}

int slideShowInterval(double slidechartSeconds)
{
    const double ms = Rounding::nearest(slidechartSeconds * 1000.0);
    if (!(ms >= 1.0))
        return 1;
    return ms > 86400000.0 ? 86400000 : int(ms);
}

int chartClickRow(int x, int rowCount)
{
    const double index = Rounding::nearest((double(x) - 200.0) / 5.0 - 1.0);
    if (index < 0.0 || index >= double(rowCount))
        return -1;
    return int(index);
}

PriceListFill priceListOf(const ChartSeries &series)
{
    PriceListFill fill;
    if (!(series.MaxVolume > Currency()))
        return fill;
    for (int i = 0; i < series.Count; ++i)
        fill.rows.append(priceListRow(series.Records[size_t(i)]));
    fill.selectedRow = int(fill.rows.size()) - 1;
    fill.labelsSet = true;
    fill.Lblsaitakane = series.MaxHigh.toString();
    fill.Lblsaiyasune = series.MinLow.toString();
    return fill;
}

bool rowsOfOneWidth(const QStringList &rows, const QFont &font)
{
    std::bitset<0x7F> used;
    for (const QString &row : rows) {
        if (row.size() != rows.first().size())
            return false;
        for (const QChar c : row) {
            if (c.unicode() < 0x20 || c.unicode() > 0x7E)
                return false;
            used.set(c.unicode());
        }
    }
    const QFontMetrics metrics(font);
    int advance = -1;
    for (char16_t c = 0x20; c < 0x7F; ++c) {
        if (!used.test(c))
            continue;
        const int a = metrics.horizontalAdvance(QChar(c));
        if (advance >= 0 && a != advance)
            return false;
        advance = a;
    }
    return true;
}

bool rowStartsWithDate(const QString &row)
{
    const QString head = row.left(8);
    return head.size() == 8 && head[2] == QLatin1Char('/') && head[5] == QLatin1Char('/') && DateUtil::isDate(head);
}

} // namespace chart
