#pragma once

// Generated price data of realistic shape for tests and benchmarks: issues with Japanese names
// (half-width katakana included), random-walk prices over trading days with holidays, zero-volume
// days and new listings, written as Regist.Mei, daily files Ds… and margin files Ys… in code page 932
// with CR LF. The same options and seed give the same files.

#include "import/PriceFiles.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <vector>

namespace importer {

struct GeneratorOptions
{
    int issues = 4000;
    QDate firstDay = QDate(2023, 1, 4); // the first calendar day considered
    int tradingDays = 245;
    std::uint64_t seed = 1;
    int zeroVolumePerMille = 15; // share of (issue, day) records without trade
    int newListingPercent = 4; // issues that list only during the range
    int otherMarketPercent = 6; // issues on markets the import passes over
};

struct GeneratedIssue
{
    int code = 0;
    int position = 0; // market position of the daily files, 0 to 5
    QString name;
    int volumeUnit = 1000;
    int listDay = 0; // index of the first trading day it appears on
    double price = 0; // the walk's current price
};

struct GeneratedRecord
{
    int code = 0;
    int position = 0;
    const QString *name = nullptr;
    qint32 open = 0;
    qint32 high = 0;
    qint32 low = 0;
    qint32 close = 0;
    qint64 volume = 0; // in the issue's volume unit
};

using GeneratedMargin = MarginFileRecord;

class DataGenerator final
{
public:
    explicit DataGenerator(const GeneratorOptions &options);

    const std::vector<QDate> &tradingDays() const { return m_days; }
    const std::vector<GeneratedIssue> &issues() const { return m_issues; }
    // Market code of Mei for a file's market position.
    static int marketCodeOfPosition(int position);

    // Regist.Mei: the header line, then one line per issue.
    QStringList registrationLines() const;
    bool writeRegistration(const QString &path, QString *error = nullptr) const;

    // Walks the trading days in order (the prices are a walk, so days come one after the other).
    // day gets the day's records in code order; weekEnd is called after the last trading day of
    // each calendar week with that week's margin records.
    void generate(const std::function<void(int index, const QDate &date, const std::vector<GeneratedRecord> &records)> &day,
                  const std::function<void(const QDate &date, const std::vector<GeneratedMargin> &records)> &weekEnd = {});

    // Writes every daily file into dailyFolder and, when marginFolder is not empty, a margin file
    // per week into it. Returns the number of daily records written, or -1 with the description in
    // error when a file could not be written (the files after it are not written).
    qint64 writeFiles(const QString &dailyFolder, const QString &marginFolder, QString *error = nullptr);

    static QStringList dailyFileLines(const QDate &date, const std::vector<GeneratedRecord> &records);
    static QStringList marginFileLines(const QDate &date, const std::vector<GeneratedMargin> &records);

private:
    std::uint64_t next();
    double uniform(); // [0, 1)
    double normal();
    int below(int n) { return int(uniform() * n); }

    GeneratorOptions m_options;
    std::uint64_t m_state;
    std::vector<QDate> m_days;
    std::vector<GeneratedIssue> m_issues;
};

} // namespace importer
