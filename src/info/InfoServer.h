#pragma once

// Addresses on the data server and the formats of the files it serves: the kinds list, the ranking
// files, the registration file and the daily and margin price files.

#include "import/InputProblems.h"
#include "info/InfoKinds.h"

#include <QDate>
#include <QString>

#include <stdexcept>
#include <vector>

namespace info {

// "http://" + DURL, followed by "/" unless DURL already ends with one.
QString ServerBase(const QString &durl);
QString KindsAddress(const QString &durl); // kabumei/infodata
QString RankingAddress(const QString &durl, const QDate &date, const QString &kind); // jyhodata/YYYYMMDD.kind
QString RegistrationAddress(const QString &durl); // kabumei/Regist.mei
QString DailyFileAddress(const QString &durl, const QDate &date); // kabudata/DsYYYYMM.DD
QString MarginFileAddress(const QString &durl, const QDate &date); // kabudata/YsYYYYMM.DD

// The largest bodies the server's files may have; a longer answer is refused while it arrives.
// Each is several times the largest file the format allows in practice.
constexpr qint64 KindsFileLimit = qint64(1024) * 1024; // a few dozen kinds; 1 MiB holds 10,000 lines
constexpr qint64 RankingFileLimit = qint64(64) * 1024; // 50 ranked issues of about 60 bytes
constexpr qint64 RegistrationFileLimit = qint64(2) * 1024 * 1024; // a line per code below 10000, ~60 bytes
constexpr qint64 DailyFileLimit = qint64(4) * 1024 * 1024; // a line per code below 10000, ~100 bytes
constexpr qint64 MarginFileLimit = qint64(4) * 1024 * 1024; // as a daily file

// A ranking lists at most this many issues, ranked from 1.
constexpr int MaxRank = 50;

// The date of characters 1-8 ("YYYYMMDD"); invalid when they are not a date.
QDate LeadingDate(const QString &text);

// A served file that cannot be used: a line that cannot be read (the description names the file
// and the line), a file whose record count disagrees with its header, or an answer that broke off.
class FormatError final : public std::runtime_error
{
public:
    explicit FormatError(const QString &description);
    const QString &description() const { return m_description; }

private:
    QString m_description;
};

// A kinds file whose first 8 characters are a date. The list ends at the first empty line or at a
// last line without CR LF. Throws FormatError for a line with fewer than two commas or a count or
// display order that is not a number.
struct KindsFile
{
    QDate date;
    int count = 0; // the number of kinds the file announces
    QList<InfoKinds::Kind> kinds;
};
KindsFile ParseKindsFile(const QString &text);

// One ranking line.
struct RankingRecord
{
    int rank = 0; // 順位
    qint32 code = 0; // コード
    qint32 price = 0; // 株価
    qint32 volume = 0; // 出来高 in shares (the file has thousands)
    qint32 change = 0; // 前日比
    QString value; // 値
};

// A ranking file: "YYYYMMDD" + one separator + count + "," + four characters not read + comment,
// then six comma-separated fields per line. Records end at the first empty line or at a last line
// without CR LF. Throws FormatError for a line with fewer than five commas, a rank or code that is
// not a whole number, a count that is not a whole number of 16 bits, or a number of record lines
// other than the count. A line whose rank is not 1 to MaxRank, whose code is not 1 to 9999 or whose
// price or volume is negative is left out and listed in refused.
struct RankingFile
{
    QDate date;
    int count = 0;
    QString comment;
    std::vector<RankingRecord> records;
    importer::SkipReport refused;
};
RankingFile ParseRankingFile(const QString &text, const QString &name);

} // namespace info
