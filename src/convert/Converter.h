#pragma once

// The converter behind "Convt": turns the price data a user can get (per-issue CSV files, bulk
// daily CSV files, or either fetched from an address template) into one daily file per weekday.

#include "base/Currency.h"
#include "import/InputProblems.h"
#include "import/PriceFiles.h"

#include <QByteArray>
#include <QDate>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

class Http;

namespace convert {

// What the daily files need to know of an issue: from Mei when it is registered.
struct IssueInfo
{
    QString name;
    int position = 0; // market position of the daily files
    qint64 volumeUnit = 1000;
    qint64 priceUnit = 1;
};

class IssueRegister final
{
public:
    // Reads Mei of a database file. Throws db::DbError.
    static IssueRegister load(const QString &databasePath);

    void add(int code, const IssueInfo &info);
    const IssueInfo *find(int code) const;
    std::vector<int> codes() const;

private:
    std::vector<std::optional<IssueInfo>> m_rows;
};

// One price row as the source gives it: prices and volume (in shares) exactly as written.
struct SourceRow
{
    int code = 0;
    QDate date;
    Currency open, high, low, close, shares;
    QString name; // empty when the source has none
    int position = -1; // -1 when the source has no market
};

// The code a per-issue file is named by ("7203.csv", "7203.T.csv"); 0 when the name has none.
int codeFromFileName(const QString &fileName);

// The largest source fetched from an address: a day of every issue or an issue's whole history is
// well below 1 MB; a year of every issue in one file is about 60 MB.
constexpr qint64 SourceLimit = 64LL * 1024 * 1024;

// Reads one CSV text (code page 932 or UTF-8) whose header names its columns. Rows dated outside
// [from, to] are passed over; bad lines go to problems with the file and line: among them a traded
// row with a price of 0 or less, a high below the low, or an open or close outside the two.
// codeFromName is the code of a per-issue file, used when the text has no code column.
void parseSource(const QString &fileName, const QByteArray &bytes, int codeFromName, const QDate &from,
                 const QDate &to, std::vector<SourceRow> &rows, importer::SkipReport &problems);

// Why the prices of a traded day cannot go into a daily file (beyond 32-bit yen, 0 or less, a high
// below the low, an open or close outside the two); "" when they can.
QString tradedPricesProblem(const Currency &open, const Currency &high, const Currency &low, const Currency &close);

// A price in yen as the daily file stores it: divided by the issue's price unit (株価単位) and
// rounded half to even; never 0 for a price above 0.
qint32 priceInUnits(const Currency &price, qint64 priceUnit);
// Shares as a volume in the issue's volume unit, kept to four decimals; never 0 for a traded day.
Currency volumeInUnits(const Currency &shares, qint64 volumeUnit);

// The daily-file record of a source row; nothing for a day without trade.
std::optional<importer::DailyFileRecord> dailyRecordOf(const SourceRow &row, const IssueRegister &issues);

struct ConvertRequest
{
    QDate from;
    QDate to;
    QString source; // a folder, a file, or an http(s) address with {date} and/or {code}
    QString dailyFolder; // where the daily files go
};

struct ConvertResult
{
    bool ok = false;
    QString error; // why nothing could be converted
    int filesWritten = 0;
    qint64 recordsWritten = 0;
    importer::SkipReport problems;
};

// Reads the source, then writes one daily file per weekday of the range that has data (whole files,
// through a temporary file). log gets progress and a line per written day. A source address that
// answers with an error status is listed in problems; one whose answer broke off or passed
// SourceLimit ends the run with error before any file is written.
ConvertResult convert(const ConvertRequest &request, const IssueRegister &issues, Http *http,
                      const std::function<void(const QString &)> &log);

} // namespace convert
