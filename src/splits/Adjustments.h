#pragma once

// The split and reverse-split events of the issues (table adjustment) and the arithmetic that
// turns prices as traded into adjusted ones. The stored prices never change: adjustment is a view.

#include "base/Currency.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

namespace db {
class Database;
}

namespace splits {

// A ratio "old:new": old shares became new shares (1:5 is a split into five, 10:1 a reverse
// split). The prices before the event are multiplied by old / new, the share counts by new / old.
struct Ratio
{
    qint64 oldShares = 1;
    qint64 newShares = 1;
    bool operator==(const Ratio &) const = default;
};

struct AdjustmentEvent
{
    int code = 0;
    QDate date; // the first day traded at the new share count
    Ratio ratio;
    bool operator==(const AdjustmentEvent &) const = default;
};

// Reads "1:5" (also "1：5" and "1/5"): two whole numbers from 1 to 1,000,000; nothing otherwise.
std::optional<Ratio> parseRatio(const QString &text);
QString ratioText(const Ratio &ratio);

// The cumulative factor of every event after a day, an exact fraction in lowest terms.
struct Factor
{
    qint64 numerator = 1;
    qint64 denominator = 1;
    bool isOne() const { return numerator == denominator; }
    bool operator==(const Factor &) const = default;
};

// The product of two factors in lowest terms, saturated at the 64-bit range (never reached by
// real histories: a hundred 1:10 splits are needed).
Factor multiply(Factor a, Ratio b);

// A price as traded times the factor, rounded to whole yen, half to even on the exact product.
Currency adjustPrice(Currency price, Factor factor);
// A count of shares divided by the factor, rounded to whole shares, half to even, saturated into
// 32 bits as the chart's columns are.
std::int32_t adjustShares(qint64 shares, Factor factor);

// The events of one issue in date order, with the factor in force on any day.
class FactorSchedule
{
public:
    FactorSchedule() = default;
    explicit FactorSchedule(std::vector<AdjustmentEvent> events);
    bool empty() const { return m_events.empty(); }
    const std::vector<AdjustmentEvent> &events() const { return m_events; }
    // The product of the ratios of every event dated after the day.
    Factor factorOn(const QDate &day) const;

private:
    std::vector<AdjustmentEvent> m_events; // ascending by date
    std::vector<Factor> m_after; // m_after[i]: product of the events i.. (one more: 1)
};

// The table. Reading throws db::DbError; so does writing, which leaves the table as it was.
std::vector<AdjustmentEvent> ReadEvents(db::Database &database, int code);
std::vector<AdjustmentEvent> ReadAllEvents(db::Database &database);
FactorSchedule ReadSchedule(db::Database &database, int code);
// Stores the event, replacing the ratio of an event of the same issue and day.
void StoreEvent(db::Database &database, const AdjustmentEvent &event);
// False when no such event was stored.
bool RemoveEvent(db::Database &database, int code, const QDate &date);

// A file of events a user keeps: "コード,日付,分割比率" lines such as "7203,2021/09/29,1:5", code
// page 932 or UTF-8, an optional header line; fields after the third are passed over, so the lines
// of the suggestions can be kept as they are. Bad lines are left out and listed with their number.
struct CsvLine
{
    int lineNumber = 0; // 1-based
    QString reason;
};
struct CsvEvents
{
    std::vector<AdjustmentEvent> events;
    std::vector<CsvLine> skipped;
};
CsvEvents ParseEventsCsv(const QByteArray &bytes);

// Reads and stores a file of events in one transaction: every good line or none. False, with a
// Japanese message in *error, when the file cannot be read or the database refuses the rows.
struct ImportResult
{
    int stored = 0;
    std::vector<CsvLine> skipped;
};
bool ImportEventsCsv(db::Database &database, const QString &path, ImportResult *result, QString *error);

// A day whose close against the previous close looks like a split or a reverse split and whose
// volume changed with it. Offered to the user, never stored by itself.
struct Suggestion
{
    int code = 0;
    QDate date;
    Currency previousClose;
    Currency close;
    Ratio ratio;
    double volumeChange = 0; // the average volume from the day on over the one before it
    bool stored = false; // the issue already has an event on that day
};
// Scans the daily rows of one issue (all issues when code is 0), in code and date order.
std::vector<Suggestion> SuggestEvents(db::Database &database, int code);

// The main window's check box "分割調整" (key SplitAdjust of the settings file): on unless the file
// holds "0", so a chart is adjusted as soon as its issue has events.
bool AdjustedChartSetting();
bool SaveAdjustedChartSetting(bool on, QString *error);

// The texts the windows and the batch tool share.
QString eventLine(const AdjustmentEvent &event); // "7203 2021/09/29 1:5"
QString skippedLine(const CsvLine &line); // "3 行目: 分割比率が読めません"
// "6758,2000/03/28,1:2,26400,13120,2.50" and ",登録済" for a stored one: an events file line
// followed by the closes and the change of the volume.
QString suggestionLine(const Suggestion &suggestion);

} // namespace splits
