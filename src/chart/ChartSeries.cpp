#include "chart/ChartSeries.h"

#include "base/DateUtil.h"
#include "base/MainModule.h"
#include "base/Ports.h"
#include "chart/Indicators.h"
#include "db/Database.h"
#include "splits/Adjustments.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

namespace chart {

void ChartSeries::clear()
{
    Records.fill(ChartRecord{});
    Count = 0;
    CenterIndex = 0;
    MaxHigh = Currency::fromInt(-1);
    MinLow = Currency::fromInt(1000000000);
    MaxVolume = Currency::fromInt(-1);
    MaxMargin = Currency::fromInt(-1);
    ChartTop = Currency();
    ChartBottom = Currency();
    ItoMaxAngle = Currency();
    QuadC = Currency();
    QuadB = Currency();
    QuadA = Currency();
    Adjusted = false;
}

std::int16_t centerIndexOf(int count)
{
    return std::int16_t(count % 2 != 0 ? (count + 1) / 2 : count / 2);
}

IndicatorSettings IndicatorSettings::fromMainModule()
{
    IndicatorSettings s;
    s.move1 = MainModule::move1;
    s.move2 = MainModule::move2;
    s.move3 = MainModule::move3;
    s.SaicoL = MainModule::SaicoL;
    s.RSIVR = MainModule::RSIVR;
    s.ITORSO = MainModule::ITORSO;
    return s;
}

IndicatorSettings IndicatorSettings::clamped() const
{
    IndicatorSettings s = *this;
    for (int *p : {&s.move1, &s.move2, &s.move3, &s.SaicoL, &s.RSIVR})
        *p = std::clamp(*p, 0, SeriesLength);
    if (s.ITORSO < 1 || s.ITORSO > 3)
        s.ITORSO = 1;
    return s;
}

QString priceTableOf(int periodMode)
{
    if (periodMode == 1)
        return QStringLiteral("daydata");
    if (periodMode == 2)
        return QStringLiteral("weekdata");
    return QString();
}

QString noDataMessage()
{
    return QStringLiteral("基準日からの表示するデーターがありません。");
}

std::int32_t saturatedInt32(qint64 value)
{
    return std::int32_t(std::clamp<qint64>(value, std::numeric_limits<std::int32_t>::min(),
                                           std::numeric_limits<std::int32_t>::max()));
}

Currency scaledPrice(Currency fieldValue, qint64 unit)
{
    const __int128 product = __int128(fieldValue.raw()) * unit;
    const __int128 hi = std::numeric_limits<std::int64_t>::max();
    const __int128 lo = std::numeric_limits<std::int64_t>::min();
    return Currency::fromRaw(std::int64_t(std::clamp(product, lo, hi)));
}

std::int32_t scaledVolume(Currency fieldValue, qint64 unit)
{
    // The product as a whole number of shares, rounded to nearest (ties to even) and saturated.
    const __int128 product = __int128(fieldValue.raw()) * unit;
    __int128 whole = product / Currency::Scale;
    const __int128 rest = product % Currency::Scale;
    const __int128 twice = rest * 2;
    if (twice > Currency::Scale || (twice == Currency::Scale && (whole % 2) != 0))
        ++whole;
    else if (twice < -Currency::Scale || (twice == -Currency::Scale && (whole % 2) != 0))
        --whole;
    const __int128 hi = std::numeric_limits<std::int32_t>::max();
    const __int128 lo = std::numeric_limits<std::int32_t>::min();
    return std::int32_t(std::clamp(whole, lo, hi));
}

void setScrollSteps(ScrollCalibration &scroll)
{
    const qint64 d = scroll.OldestBaseDate.daysTo(scroll.NewestDate);
    scroll.SmallChange = d < 1 ? ScrollMaximum : int(Rounding::nearest(double(ScrollMaximum) / double(d)));
    scroll.LargeChange = d < 5 ? ScrollMaximum : int(Rounding::nearest(double(ScrollMaximum) / double(d) * 5.0));
}

QDate dateOfScrollValue(const ScrollCalibration &scroll, int value)
{
    if (!scroll.OldestBaseDate.isValid() || !scroll.NewestDate.isValid())
        return scroll.NewestDate;
    const double days = double(scroll.OldestBaseDate.daysTo(scroll.NewestDate));
    const double offset = days / double(ScrollMaximum) * double(value);
    return scroll.OldestBaseDate.addDays(qint64(Rounding::Int(offset)));
}

int scrollValueOfDate(const ScrollCalibration &scroll, const QDate &date)
{
    if (!scroll.OldestBaseDate.isValid() || !scroll.NewestDate.isValid() || !date.isValid())
        return ScrollMaximum;
    const double days = double(scroll.OldestBaseDate.daysTo(scroll.NewestDate));
    if (days < 1.0)
        return ScrollMaximum;
    const double raw = std::ceil(double(scroll.OldestBaseDate.daysTo(date)) * double(ScrollMaximum) / days);
    int value = int(std::clamp(raw, 0.0, double(ScrollMaximum)));
    // The first value whose whole-day date is the date itself, despite rounding on the way back.
    if (value < ScrollMaximum && dateOfScrollValue(scroll, value) < date)
        ++value;
    return value;
}

int adjustedScrollValue(const ScrollCalibration &scroll, int lastValue, int value)
{
    if (std::abs(lastValue - value) != scroll.SmallChange || value == lastValue)
        return value;
    const QDate date = dateOfScrollValue(scroll, value);
    if (!date.isValid())
        return value;
    QDate adjusted = date;
    if (value > lastValue) {
        while (DateUtil::weekdayNumber(adjusted) == 1 || DateUtil::weekdayNumber(adjusted) == 7)
            adjusted = adjusted.addDays(1);
    } else if (DateUtil::weekdayNumber(adjusted) == 7) {
        while (DateUtil::weekdayNumber(adjusted) > 5)
            adjusted = adjusted.addDays(-1);
    }
    const qint64 carried = adjusted.daysTo(date); // D(v) - adjusted date
    const qint64 result = std::llabs(qint64(value) - carried * scroll.SmallChange);
    if (value > lastValue && result > ScrollMaximum)
        return ScrollMaximum;
    return int(std::min<qint64>(result, std::numeric_limits<int>::max()));
}

namespace {

// Runs one step of the loader; a database failure ends the step and the loader goes on.
template <typename F>
void step(F &&f)
{
    try {
        f();
    } catch (const db::DbError &) {
    }
}

} // namespace

namespace {

// The last calendar day a row stands for: its date, or the Saturday of a weekly row's week.
QDate lastDayOf(const QDate &date, int periodMode)
{
    return periodMode == 1 ? date : date.addDays(1);
}

struct AdjustedWeek
{
    Currency open, high, low, close;
    std::int32_t volume = 0;
    bool found = false;
};

// A week holding an event, rebuilt from its daily rows as the weekly build does, each day adjusted
// by its own factor.
AdjustedWeek rebuildWeek(db::Database &database, int code, const QDate &friday, const splits::FactorSchedule &schedule,
                         qint64 priceUnit, qint64 volumeUnit)
{
    AdjustedWeek w;
    db::Recordset rs = database.openRecordset(
        QStringLiteral("select 日付, 始値, 高値, 安値, 終値, 出来高 from daydata where コード=? and 日付 between ? and ? order by 日付;"),
        {code, friday.addDays(-5), friday.addDays(1)});
    qint64 volume = 0;
    for (; !rs.eof(); rs.moveNext()) {
        const splits::Factor f = schedule.factorOn(rs.toDate(QStringLiteral("日付")));
        const Currency open = splits::adjustPrice(scaledPrice(rs.toCurrency(QStringLiteral("始値")), priceUnit), f);
        const Currency close = splits::adjustPrice(scaledPrice(rs.toCurrency(QStringLiteral("終値")), priceUnit), f);
        if (w.open.isZero() && !open.isZero())
            w.open = open;
        if (w.open.isZero() || close.isZero())
            continue;
        w.found = true;
        w.close = close;
        const Currency high = splits::adjustPrice(scaledPrice(rs.toCurrency(QStringLiteral("高値")), priceUnit), f);
        const Currency low = splits::adjustPrice(scaledPrice(rs.toCurrency(QStringLiteral("安値")), priceUnit), f);
        if (w.high.isZero() || w.high < high)
            w.high = high;
        if (w.low.isZero() || (!low.isZero() && w.low > low))
            w.low = low;
        volume += splits::adjustShares(scaledVolume(rs.toCurrency(QStringLiteral("出来高")), volumeUnit), f);
    }
    rs.close();
    w.volume = saturatedInt32(volume);
    return w;
}

} // namespace

void AdjustChartRows(ChartSeries &series, db::Database &database, int code, int periodMode, qint64 priceUnit, qint64 volumeUnit)
{
    if (series.Count == 0)
        return;
    const splits::FactorSchedule schedule = splits::ReadSchedule(database, code);
    if (schedule.empty())
        return;

    // The adjusted close before the first row, for a first row that follows an event.
    Currency previousClose;
    QDate previousDay;
    {
        db::Recordset rs = database.openRecordset(
            QStringLiteral("select top 1 日付, 終値 from %1 where コード=? and 日付<? order by 日付 desc;").arg(priceTableOf(periodMode)),
            {code, series.Records[0].Date});
        if (!rs.eof()) {
            previousDay = lastDayOf(rs.toDate(QStringLiteral("日付")), periodMode);
            previousClose = splits::adjustPrice(scaledPrice(rs.toCurrency(QStringLiteral("終値")), priceUnit),
                                                schedule.factorOn(previousDay));
        }
        rs.close();
    }

    Currency carried;
    for (int k = 0; k < series.Count; ++k) {
        ChartRecord &r = series.Records[size_t(k)];
        const QDate lastDay = lastDayOf(r.Date, periodMode);
        const splits::Factor f = schedule.factorOn(lastDay);
        const bool crossesEvent = previousDay.isValid() && !(schedule.factorOn(previousDay) == f);
        const bool weekHoldsEvent = periodMode != 1 && !(schedule.factorOn(r.Date.addDays(-5)) == f);
        const Currency reference = r.Close - r.Change;

        // Only a chart whose figures change says it is adjusted (events before it change nothing).
        if (!f.isOne() || crossesEvent || weekHoldsEvent)
            series.Adjusted = true;
        AdjustedWeek week;
        if (weekHoldsEvent)
            week = rebuildWeek(database, code, r.Date, schedule, priceUnit, volumeUnit);
        if (week.found) {
            r.Open = week.open;
            r.High = week.high;
            r.Low = week.low;
            r.Close = week.close;
            r.Volume = week.volume;
        } else {
            r.Open = splits::adjustPrice(r.Open, f);
            r.High = splits::adjustPrice(r.High, f);
            r.Low = splits::adjustPrice(r.Low, f);
            r.Close = splits::adjustPrice(r.Close, f);
            r.Volume = splits::adjustShares(r.Volume, f);
        }
        r.MarginSell = splits::adjustShares(r.MarginSell, f);
        r.MarginBuy = splits::adjustShares(r.MarginBuy, f);

        if (crossesEvent)
            r.Change = r.Close.isZero() || previousClose.isZero() ? Currency() : r.Close - previousClose;
        else if (!r.Change.isZero())
            r.Change = r.Close - splits::adjustPrice(reference, f);

        if (!r.Close.isZero())
            carried = r.Close;
        r.CloseCarried = carried;
        if (!r.Close.isZero())
            previousClose = r.Close;
        previousDay = lastDay;
    }
}

void LoadChartRows(ChartSeries &series, ScrollCalibration &scroll, int code, QString &chartDateText,
                   int periodMode, Prompt &prompt, const Clock &clock, bool adjusted)
{
    series.clear();
    const QString table = priceTableOf(periodMode);

    std::unique_ptr<db::Database> database;
    step([&] { database = std::make_unique<db::Database>(MainModule::DBPath); });

    const QDate today = clock.today();
    if (!scroll.NewestDate.isValid())
        scroll.NewestDate = today;
    if (!DateUtil::isDate(chartDateText, today))
        chartDateText = DateUtil::formatYYMMDD(today);
    const QDate baseDate = DateUtil::parseDate(chartDateText, today);

    if (!database)
        return;

    if (code != scroll.CalibratedCode || periodMode != scroll.CalibratedMode) {
        step([&] {
            // The first 110 rows counted inside the engine: only their first and last days matter.
            db::Recordset rs = database->openRecordset(
                QStringLiteral("select Count(*) as 行数, Min(日付) as 最初, Max(日付) as 最後 from "
                               "(select top 110 日付 from %1 where コード=? order by 日付) ;")
                    .arg(table),
                {code}, db::RecordsetType::ForwardOnly);
            const qint64 rows = rs.eof() ? 0 : rs.toLong(0);
            if (rows > 0) {
                // An issue with fewer rows than a chart holds scrolls back to its first row, so
                // that a short history (a weekly chart above all) can still be scrolled.
                scroll.OldestBaseDate = rows < SeriesLength ? rs.toDate(1) : rs.toDate(2);
                if (scroll.OldestBaseDate > scroll.NewestDate)
                    scroll.OldestBaseDate = scroll.NewestDate;
                setScrollSteps(scroll);
            }
            rs.close();
        });
        scroll.CalibratedCode = std::int16_t(code);
        scroll.CalibratedMode = std::int16_t(periodMode);
    }

    qint64 volumeUnit = 0;
    qint64 priceUnit = 0;
    step([&] {
        db::Recordset rs = database->openRecordset(QStringLiteral("select 出来高単位, 株価単位 from Mei where コード=?;"), {code});
        if (!rs.eof()) {
            volumeUnit = rs.toLong(QStringLiteral("出来高単位"));
            priceUnit = rs.toLong(QStringLiteral("株価単位"));
        }
        rs.close();
    });

    // One pass from the base date back over the newest 110 rows; they are stored from the end of the
    // records and moved to the front once their number is known.
    bool anyRow = false;
    int read = 0;
    step([&] {
        const bool weekly = periodMode != 1;
        db::Recordset rs = database->openRecordset(
            QStringLiteral("select top 110 日付, 始値, 高値, 安値, 終値, 前日比, 出来高%2 from %1 where コード=? "
                           "and 日付<=? order by 日付 desc ;")
                .arg(table, weekly ? QStringLiteral(", 売残, 買残") : QString()),
            {code, baseDate}, db::RecordsetType::ForwardOnly);
        if (rs.eof())
            prompt.inform(noDataMessage(), QString(), PromptIcon::None);
        for (; !rs.eof() && read < SeriesLength; rs.moveNext()) {
            anyRow = true;
            ChartRecord &r = series.Records[size_t(SeriesLength - 1 - read)];
            r.Date = rs.toDate(0);
            r.Open = scaledPrice(rs.toCurrency(1), priceUnit);
            r.High = scaledPrice(rs.toCurrency(2), priceUnit);
            r.Low = scaledPrice(rs.toCurrency(3), priceUnit);
            r.Close = scaledPrice(rs.toCurrency(4), priceUnit);
            r.Change = scaledPrice(rs.toCurrency(5), priceUnit);
            r.Volume = scaledVolume(rs.toCurrency(6), volumeUnit);
            if (weekly) {
                r.MarginSell = saturatedInt32(rs.toLong(7));
                r.MarginBuy = saturatedInt32(rs.toLong(8));
            }
            ++read;
        }
        rs.close();
    });

    if (anyRow) {
        // A failure in the middle of a row leaves nothing of it behind; the rows before it stay.
        if (read < SeriesLength)
            std::move(series.Records.end() - read, series.Records.end(), series.Records.begin());
        Currency carried;
        for (int k = 0; k < read; ++k) {
            ChartRecord &r = series.Records[size_t(k)];
            if (!r.Close.isZero())
                carried = r.Close;
            r.CloseCarried = carried;
        }
        series.Count = std::int16_t(read);
        for (int i = series.Count; i < SeriesLength; ++i)
            series.Records[size_t(i)] = ChartRecord{};
        if (adjusted) {
            // A failure here leaves the rows as traded rather than half adjusted.
            const ChartSeries asTraded = series;
            try {
                AdjustChartRows(series, *database, code, periodMode, priceUnit, volumeUnit);
            } catch (const db::DbError &) {
                series = asTraded;
            }
        }
    }
    series.CenterIndex = centerIndexOf(series.Count);
}

void LoadChartSeries(ChartSeries &series, ScrollCalibration &scroll, int code, QString &chartDateText,
                     int periodMode, const IndicatorSettings &settings, Prompt &prompt, const Clock &clock, bool adjusted)
{
    LoadChartRows(series, scroll, code, chartDateText, periodMode, prompt, clock, adjusted);
    ComputeIndicators(series, settings);
}

} // namespace chart
