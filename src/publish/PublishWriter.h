#pragma once

// The publisher's writer, shared by the files that make it up (PublishWriter.cpp: the price,
// registration and quote files; PublishRankings.cpp: the rankings). Not for use outside publish.

#include "base/Currency.h"
#include "base/TextFile.h"
#include "db/Database.h"
#include "publish/Publisher.h"

#include <QDate>
#include <QDir>
#include <QSet>
#include <QString>

#include <array>
#include <functional>
#include <future>
#include <optional>
#include <vector>

namespace publish {

constexpr int CodeLimit = 10000;
constexpr int AverageDays = 25;

// Values are looked up InListSize at a time: "in (?, ?, …)" with that many marks, a shorter last
// chunk filled up with its first value, so that every chunk runs one prepared query.
constexpr size_t InListSize = 256;
QString inListMarks();
template <typename T>
db::Params inListValues(const std::vector<T> &values, size_t first)
{
    db::Params params;
    params.reserve(InListSize);
    for (size_t i = 0; i < InListSize; ++i)
        params.emplace_back(first + i < values.size() ? values[first + i] : values[first]);
    return params;
}

struct Issue
{
    QString name;
    int position = 0;
    qint64 volumeUnit = 1000;
    qint64 priceUnit = 1;
    bool registered = false;
};

struct PriceRow
{
    int code = 0;
    qint32 open = 0, high = 0, low = 0, close = 0;
    qint64 change = 0;
    Currency volume;
};

// The last N values kept, oldest first, inside the object: the histories of ten thousand codes take
// no memory of their own.
template <typename T, size_t N>
class LastValues
{
public:
    void push(T value)
    {
        m_values[(m_first + m_size) % N] = value;
        if (m_size < N)
            ++m_size;
        else
            m_first = (m_first + 1) % N;
    }
    size_t size() const { return m_size; }
    T operator[](size_t i) const { return m_values[(m_first + i) % N]; }

private:
    std::array<T, N> m_values;
    size_t m_first = 0;
    size_t m_size = 0;
};

// What the rankings remember of an issue from the rows before the day being ranked.
struct History
{
    std::optional<qint32> previousClose; // the last traded close
    LastValues<qint64, AverageDays> volumes; // raw volumes of the last rows
    LastValues<qint32, AverageDays> closes; // closes of the last traded rows
    int year = 0;
    std::optional<qint32> yearHigh, yearLow; // of the rows read so far in that year
    // The year's extremes before the rows read (looked up only when a close reaches past the
    // extremes read, which few do on a day).
    bool earlierLoaded = false;
    std::optional<qint32> earlierHigh, earlierLow;
};

struct DatedRow
{
    QDate date;
    PriceRow row;
};

// A candidate of a ranking: the figure as an exact fraction where it can be, so that equal figures
// tie and fall back to the code.
struct Candidate
{
    double figure = 0;
    const PriceRow *row = nullptr;
    QString value;
};

// A ranking's figure as the files show it: a percentage with one decimal.
QString percent(double fraction);
Currency thousandShares(const Currency &volume, qint64 volumeUnit);
// Whether the publisher writes rankings of this kind ("d01" … "w03").
bool isRankedKind(const QString &code);

class Writer final
{
public:
    Writer(db::Database &database, const QString &outputFolder, int stopAfterFiles, const std::function<void(const QString &)> &log)
        : m_database(database), m_root(outputFolder), m_stopAfterFiles(stopAfterFiles), m_log(log)
    {
        m_issues.resize(CodeLimit);
        m_history.resize(CodeLimit);
    }

    void loadIssues();
    bool writeRegistration(const QDate &date);
    bool writeKinds();
    bool writeDays(const QDate &from, const QDate &to);
    bool writeWeeks(const QDate &from, const QDate &to);
    bool writeMargins(const QDate &from, const QDate &to);
    bool writeClosedDays(const QDate &from, const QDate &to);
    // The quote pages of the day `to`: their rows are read here, then a thread of their own renders
    // the pages, writes them into their previous copies and syncs those while the days are ranked.
    void startQuotePages(const QDate &to);
    // Waits for the pages. With swap, counts them in the run's order of files and swaps them in;
    // without, leaves them in their copies (the run failed before them) and returns false.
    bool finishQuotePages(bool swap);
    bool writeCheckedThrough(const QDate &day);

    PublishResult result;
    QString error;

private:
    const Issue &issue(int code) const { return m_issues[size_t(code)]; }
    bool makeFolderOf(const QString &path);
    // False when the run is to stop as if interrupted here (stopAfterFiles).
    bool mayWriteAnother();
    bool write(const QString &relative, const QByteArray &bytes);
    QSet<QString> m_madeFolders;
    bool writeRanking(const QString &kind, const QDate &date, std::vector<Candidate> &candidates);
    // The year's highest and lowest traded close before the first row read, of these codes.
    void loadEarlierExtremes(const std::vector<qint64> &codes);
    // The row's rise over the year's high and fall under its low, when it makes them.
    void addNewExtremes(const QDate &date, const PriceRow &r, std::vector<Candidate> &highs, std::vector<Candidate> &lows) const;
    // The same for rows whose extremes before the rows read are not known yet: only the rows that
    // could enter the rankings are looked up and added.
    void addNewExtremes(const QDate &date, const std::vector<const PriceRow *> &unsure, std::vector<Candidate> &highs,
                        std::vector<Candidate> &lows);
    QDate m_readFrom;
    QSet<QString> m_ranked; // "yyyyMMdd" + kind letter of the rankings this run wrote
    void remember(const QDate &date, const std::vector<PriceRow> &rows);
    bool rankDay(const QDate &date, const std::vector<PriceRow> &rows);
    void say(const QString &text)
    {
        if (m_log)
            m_log(text);
    }

    db::Database &m_database;
    QDir m_root;
    int m_stopAfterFiles = 0;
    int m_filesWritten = 0;
    std::function<void(const QString &)> m_log;
    std::vector<Issue> m_issues;
    std::vector<History> m_history;
    std::optional<DatedRow> newestRow(int code, const QDate &to);
    // The rows of the quote pages' day, in code order, read once for the pages and the day's files.
    QDate m_lastDay;
    std::vector<PriceRow> m_lastDayRows;

    // Thousands of pages rewritten on every run: written into their previous copies, then swapped in
    // together after one sync. The thread alone uses these until finishQuotePages() has waited for
    // it; the thread is declared last, so that it ends before the rest goes.
    TextFile::SwapBatch m_quotePages;
    int m_quotePagesToWrite = 0;
    int m_quotePagesWritten = 0;
    QString m_quotePagesError;
    std::future<bool> m_quotePagesThread;
};

} // namespace publish
