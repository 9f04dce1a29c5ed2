#pragma once

// The chart series of one issue: at most 110 consecutive daily or weekly rows ending at a base
// date, scaled by the units, with every indicator computed on them. The main window owns
// one ChartSeries and one ScrollCalibration and hands them to LoadChartSeries.

#include "base/Currency.h"

#include <QDate>
#include <QString>

#include <array>
#include <cstdint>

class Clock;
class Prompt;

namespace db {
class Database;
}

namespace chart {

constexpr int SeriesLength = 110;
constexpr int ScrollMaximum = 32767;

struct ChartRecord
{
    QDate Date;
    Currency Open;
    Currency High;
    Currency Low;
    Currency Close;
    Currency CloseCarried;
    Currency Change;
    std::int32_t Volume = 0;
    std::int32_t MarginSell = 0;
    std::int32_t MarginBuy = 0;
    Currency MaShort;
    Currency MaMiddle;
    Currency MaLong;
    std::int16_t DevShort = 0;
    std::int16_t DevMiddle = 0;
    std::int16_t DevLong = 0;
    std::int16_t Psychological = 0;
    std::int16_t Rsi = 0;
    std::int16_t Vr = 0;
    Currency SlopeShort;
    Currency SlopeMiddle;
    Currency SlopeLong;
    Currency ItoRatio;
};

struct ChartSeries
{
    std::array<ChartRecord, SeriesLength> Records{};
    std::int16_t Count = 0;
    std::int16_t CenterIndex = 0;
    Currency MaxHigh = Currency::fromInt(-1);
    Currency MinLow = Currency::fromInt(1000000000);
    Currency MaxVolume = Currency::fromInt(-1);
    Currency MaxMargin = Currency::fromInt(-1);
    Currency ChartTop;
    Currency ChartBottom;
    Currency ItoMaxAngle;
    Currency QuadC;
    Currency QuadB;
    Currency QuadA;
    // The rows were adjusted for the splits: adjustment was asked and an event changed them.
    bool Adjusted = false;

    // Sets the header to its start values and every record to zero.
    void clear();
};

// (Count + 1) / 2 for an odd count, Count / 2 for an even one.
std::int16_t centerIndexOf(int count);

// The horizontal scroll bar's calibration (0 stands for OldestBaseDate, 32767 for NewestDate).
struct ScrollCalibration
{
    QDate NewestDate; // the window sets it to today at load; the loader takes today while it is unset
    QDate OldestBaseDate;
    std::int16_t CalibratedCode = 0;
    std::int16_t CalibratedMode = 0; // 0: never calibrated
    int SmallChange = 1;
    int LargeChange = 1;
};

// The periods and choices of the settings the indicators use. Values outside 0..110 are clamped
// into that range (a period cannot be longer than the series); ITORSO other than 1..3 means 1.
struct IndicatorSettings
{
    int move1 = 5;
    int move2 = 15;
    int move3 = 30;
    int SaicoL = 12;
    int RSIVR = 12;
    int ITORSO = 1;

    static IndicatorSettings fromMainModule();
    IndicatorSettings clamped() const;
    bool operator==(const IndicatorSettings &) const = default;
};

// "daydata" for 1, "weekdata" for 2.
QString priceTableOf(int periodMode);

// The message shown when nothing lies on or before the base date.
QString noDataMessage();

// Reads the rows: resets the header, clears the records, replaces an
// invalid chartDateText by today's date ("YY/MM/DD"), recalibrates the scroll bar when the code or
// the period mode changed, reads the units and the rows. Database failures are passed over step by
// step. Reports noDataMessage() through prompt when no row lies on or before the base date.
// With adjusted, the rows of an issue with split events are adjusted as AdjustChartRows does.
void LoadChartRows(ChartSeries &series, ScrollCalibration &scroll, int code, QString &chartDateText,
                   int periodMode, Prompt &prompt, const Clock &clock, bool adjusted = false);

// LoadChartRows followed by ComputeIndicators (Indicators.h).
void LoadChartSeries(ChartSeries &series, ScrollCalibration &scroll, int code, QString &chartDateText,
                     int periodMode, const IndicatorSettings &settings, Prompt &prompt, const Clock &clock,
                     bool adjusted = false);

// Adjusts loaded rows for the split events (nothing happens without events): prices times
// the factor of the events after the row's last day, rounded to whole yen half to even; volumes and
// margin balances divided by it. A weekly row whose week holds an event is rebuilt from its daily
// rows, each adjusted by its own factor. The change of a row is the adjusted close less the adjusted
// reference it was taken against; across an event, the adjusted close less the previous row's.
// Throws db::DbError.
void AdjustChartRows(ChartSeries &series, db::Database &database, int code, int periodMode, qint64 priceUnit,
                     qint64 volumeUnit);

// Scroll steps for a calibration range of d days: SmallChange 32767 below one day, else
// nearest(32767 / d); LargeChange 32767 below five days, else nearest(32767 / d * 5).
void setScrollSteps(ScrollCalibration &scroll);

// The date a scroll value stands for: OldestBaseDate + (NewestDate - OldestBaseDate) / 32767 * v,
// cut to the whole day.
QDate dateOfScrollValue(const ScrollCalibration &scroll, int value);

// The first scroll value that stands for a date (dateOfScrollValue gives the date back), kept
// within 0 to 32767; the maximum when the range is empty.
int scrollValueOfDate(const ScrollCalibration &scroll, const QDate &date);

// The scroll value after a change from lastValue to value. An arrow click (a change of exactly
// SmallChange) moves one calendar day, carried over the weekend: to the right onto the next Monday
// to Friday, to the left a Saturday goes back to the Thursday; the value is moved by the days the
// date was carried, at most to the maximum when moving right. Other changes keep the value.
int adjustedScrollValue(const ScrollCalibration &scroll, int lastValue, int value);

// Saturating helpers for the unit scaling (gigantic prices or volumes never wrap).
Currency scaledPrice(Currency fieldValue, qint64 unit);
std::int32_t scaledVolume(Currency fieldValue, qint64 unit);
std::int32_t saturatedInt32(qint64 value);

} // namespace chart
