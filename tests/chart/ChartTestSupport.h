#pragma once

// Helpers of the chart tests: price rows written straight into a test database, in-memory series,
// and a GUI application for painting text.

#include "chart/ChartSeries.h"
#include "db/Database.h"
#include "db/SqlTranslator.h"

#include <QGuiApplication>

#include <vector>

namespace chart_test {

inline void ensureGuiApplication()
{
    if (QGuiApplication::instance())
        return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "test_chart";
    static char *argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
}

struct PriceRow
{
    QDate date;
    qint64 open = 0, high = 0, low = 0, close = 0, change = 0;
    qint64 volume = 0;
    qint64 sell = 0, buy = 0; // weekly rows only
};

inline void insertMei(db::Database &d, int code, const QString &volumeUnit, const QString &priceUnit)
{
    d.execute(QStringLiteral("insert into Mei (コード, 市場コード, 銘柄, 出来高単位, 株価単位) values (%1, 1, 'テスト', %2, %3)")
                  .arg(code)
                  .arg(volumeUnit, priceUnit));
}

inline void insertRows(db::Database &d, int code, const std::vector<PriceRow> &rows, bool weekly = false)
{
    db::WriteBatch batch(d);
    for (const PriceRow &r : rows) {
        QStringList values{QString::number(code), db::dateLiteral(r.date)};
        for (qint64 v : {r.open, r.high, r.low, r.close, r.change, r.volume})
            values << QString::number(v);
        if (weekly)
            values << QString::number(r.sell) << QString::number(r.buy);
        d.execute(QStringLiteral("insert into %1 (コード, 日付, 始値, 高値, 安値, 終値, 前日比, 出来高%2) values (%3)")
                      .arg(weekly ? QStringLiteral("weekData") : QStringLiteral("dayData"),
                           weekly ? QStringLiteral(", 売残, 買残") : QString(), values.join(QStringLiteral(", "))));
    }
}

// Weekdays from first on, one row each, with close = closes[i] (open = high = low = close unless the
// caller changes them), change against the previous non-zero close, volume 1000.
inline std::vector<PriceRow> weekdayRows(QDate first, const std::vector<qint64> &closes)
{
    std::vector<PriceRow> rows;
    QDate d = first;
    qint64 reference = 0;
    for (qint64 c : closes) {
        while (d.dayOfWeek() > 5)
            d = d.addDays(1);
        PriceRow r;
        r.date = d;
        r.open = r.high = r.low = r.close = c;
        r.change = c != 0 && reference != 0 ? c - reference : 0;
        if (c != 0)
            reference = c;
        r.volume = 1000;
        rows.push_back(r);
        d = d.addDays(1);
    }
    return rows;
}

// A series filled in memory: record i gets close closes[i] (open = high = low = close), change
// against the previous close, volume 1000, dates on consecutive days from 2020-01-01.
inline chart::ChartSeries seriesOf(const std::vector<qint64> &closes)
{
    chart::ChartSeries s;
    s.clear();
    Currency carried;
    for (size_t i = 0; i < closes.size() && i < size_t(chart::SeriesLength); ++i) {
        chart::ChartRecord &r = s.Records[i];
        r.Date = QDate(2020, 1, 1).addDays(qint64(i));
        r.Open = r.High = r.Low = r.Close = Currency::fromInt(closes[i]);
        r.Change = (i > 0 && closes[i] != 0 && !carried.isZero()) ? r.Close - carried : Currency();
        if (!r.Close.isZero())
            carried = r.Close;
        r.CloseCarried = carried;
        r.Volume = 1000;
        s.Count = std::int16_t(i + 1);
    }
    s.CenterIndex = chart::centerIndexOf(s.Count);
    return s;
}

} // namespace chart_test
