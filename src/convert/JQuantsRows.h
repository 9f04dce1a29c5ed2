#pragma once

// How the rows of the service's answers become this program's records: the listed issues, a day's
// prices and split factors, a week's margin balances. Whatever a row holds, it becomes a record
// the imports read, or it is left out with why.

#include "convert/Converter.h"
#include "import/InputProblems.h"
#include "import/PriceFiles.h"

#include <QDate>
#include <QJsonArray>
#include <QSet>
#include <QString>

#include <map>
#include <optional>
#include <vector>

namespace convert::jquants {

// The program's market position of one of the service's market segments ("0111" プライム → 0
// 東証１部, "0112" スタンダード → 1 東証２部, "0113" グロース → 5 店頭, and the segments before 2022);
// nothing for a segment the program does not store (TOKYO PRO MARKET, その他: ETFs, REITs, ...).
std::optional<int> positionOfSegment(const QString &segmentCode);

// The program's code of one of the service's codes: four digits and a 0 ("72030" → 7203), or the
// four digits alone; 0 for any other ("130A0" with a letter, "25935" another class of shares).
int issueCodeOf(const QString &serviceCode);

// An adjustment factor as old shares : new shares, the simplest ratio of whole numbers up to 100
// that matches it (0.5 → 1:2, 0.333333 → 1:3, 0.666667 → 2:3, 10 → 10:1); nothing when none does.
struct ShareRatio
{
    qint32 before = 1;
    qint32 after = 1;
};
std::optional<ShareRatio> shareRatioOf(double factor);

// A day as the run's messages and problems name it.
QString dayText(const QDate &date);

struct Listed
{
    QString name;
    std::optional<int> position; // nothing: a market the program does not store
};

// The issues of the service's lists, by the program's code.
class Listing final
{
public:
    // Adds the rows of one master answer; codes already listed keep what they had.
    void add(const QJsonArray &rows, QSet<QString> &skipped);
    const Listed *find(int code) const
    {
        const auto it = m_rows.find(code);
        return it == m_rows.end() ? nullptr : &it->second;
    }
    const std::map<int, Listed> &rows() const { return m_rows; }

private:
    std::map<int, Listed> m_rows;
};

struct Factor
{
    int code = 0;
    ShareRatio ratio;
};

struct Day
{
    std::vector<importer::DailyFileRecord> records; // in code order, one per code
    std::vector<Factor> factors; // in code order, one per code
    int traded = 0;
};

// Reads the rows of the answers of one run. An issue's market comes from the service's list, else
// from the register; a row left out is counted in skippedCodes or unstored, or added to problems
// with why.
class RowReader final
{
public:
    RowReader(const IssueRegister &issues, importer::SkipReport &problems)
        : m_issues(issues), m_problems(problems)
    {
    }

    Listing listing;
    QSet<QString> skippedCodes; // the service's codes that are no code of the program
    QSet<int> unstored; // issues of markets the program does not store

    // The daily records and the split factors of a day's rows.
    Day dayOf(const QDate &date, const QJsonArray &rows);
    // The margin records of a week's rows.
    std::vector<importer::MarginFileRecord> marginsOf(const QDate &week, const QJsonArray &rows);

private:
    enum class Placing
    {
        Stored,
        NotStored,
        Unknown
    };
    Placing placeOf(int code, int *position, QString *name) const;

    const IssueRegister &m_issues;
    importer::SkipReport &m_problems;
};

} // namespace convert::jquants
