#pragma once

// Pieces shared by the import procedures: the result handed back to the window that started a run,
// the report of skipped input lines, the "##" percentage label, folder settings and field cutting.

#include "base/Currency.h"
#include "base/Ports.h"
#include "base/TextFile.h"

#include <QDate>
#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>
#include <stdexcept>
#include <vector>

namespace db {
class Database;
class Recordset;
} // namespace db

namespace importer {

// Issue codes are whole numbers below this (four digits).
constexpr int IssueCodeLimit = 10000;

// An input line or file that was passed over, by file name and 1-based line number (0: whole file).
struct SkippedLine
{
    QString file;
    int line = 0;
    QString reason;
};

// Collects skipped lines during a run and tells the user about them once afterwards.
class SkipReport final
{
public:
    void add(const QString &file, int line, const QString &reason);
    bool isEmpty() const { return m_lines.empty(); }
    int count() const { return int(m_lines.size()); }
    const std::vector<SkippedLine> &lines() const { return m_lines; }
    // One message naming the count and the first few places; empty when nothing was skipped.
    QString message() const;
    // Shows message() through the prompt when anything was skipped.
    void showThrough(Prompt &prompt) const;

private:
    std::vector<SkippedLine> m_lines;
};

// A field of an input file that does not convert where the run has to end. The description names
// the file, the line and the offending text.
class InputError final : public std::runtime_error
{
public:
    explicit InputError(const QString &description);
    const QString &description() const { return m_description; }

private:
    QString m_description;
};

// What the import window is opened for.
enum class ImportMode
{
    Registration, // the registration import at once, then the window closes
    Prices, // the daily import, which the user starts
    FirstRun, // as Registration; afterwards unmarked issues are offered for deletion
    BeforeConversion, // the registration import before a file conversion: the window stays open
};

// What a run leaves for the window that started it.
struct ImportResult
{
    bool completed = false; // false when an error ended the run
    QString errorDescription; // the error shown to the user when !completed
    // The message the caller shows once the import window has closed ("読み込み終了", …); empty when
    // the run left none (an error before the outcome was known).
    QString message;
    bool closeWindow = false; // the import window unloads itself
    int storedRecords = 0; // rows stored by the run
    SkipReport skipped; // lines or files passed over
};

// The ports and window state an import runs with.
struct ImportContext
{
    Progress &progress;
    Prompt &prompt;
    QString mainCaption = {}; // the main window's caption, restored after the registration import
};

// The percentage label LabPa: repainted only when the rounded percentage is a multiple of 5, shown
// formatted "##" (no leading zero, 0 shows nothing), and only when the text changes.
class PercentLabel final
{
public:
    explicit PercentLabel(Progress &progress, bool alsoCaption = false)
        : m_progress(progress), m_alsoCaption(alsoCaption) { }
    void update(double count, double total);
    void show(const QString &text);

private:
    Progress &m_progress;
    bool m_alsoCaption;
    std::optional<QString> m_last;
};

// A folder setting ("C:\data\" or "/home/x/data") as a path with forward slashes, without a trailing
// separator; empty stays empty.
QString folderPath(const QString &setting);
// The path of name inside a folder setting.
QString fileIn(const QString &folderSetting, const QString &name);

// A path as it lies on disk when only the letter case of its parts differs (files copied from
// Windows keep theirs: "DATA/REGIST.MEI"); the path itself when it exists or nothing matches.
QString pathIgnoringCase(const QString &path);

// The files of one folder, found by name without regard to letter case. Listed once, so that a
// run over many dates does not list the folder per date.
class FolderFiles final
{
public:
    explicit FolderFiles(const QString &folderSetting);
    // The path of the file called name (exact name first); empty when there is none.
    QString find(const QString &name) const;

private:
    QString m_folder;
    QHash<QString, QString> m_byFoldedName;
};

// Reads a whole text file a user brings (see TextFile::decodeLines). false with the reason when it
// cannot be read.
bool readTextLines(const QString &path, TextFile::DecodedText &text, QString *why = nullptr);
bool readTextLines(const QString &path, QStringList &lines, QString *why = nullptr);
// The skip reason of a line whose bytes are neither code page 932 nor UTF-8.
QString undecodableReason();

// Why a file whose number of record lines differs from the count in its header is refused whole
// (a file cut short is not the whole of its data): "見出しの件数は 757 件ですが、記録は 454 行です".
QString recordCountMismatch(qint64 announced, qint64 found);

// Cuts a record line into at most count fields at its commas; the last field is the rest of the
// line. Every field is trimmed of blanks.
QStringList cutFields(const QString &line, int count);

// The same without copying: fills out with up to count trimmed views into line and returns how
// many there are.
int cutFieldViews(QStringView line, int count, QStringView *out);

// A whole number from a field: trimmed decimal, a fraction rounds to nearest (ties to even);
// nothing when the text is not a number.
std::optional<qint64> wholeNumber(QStringView text);
// SafeValue kind 0: the number as a 32-bit integer, 0 when it is not numeric or out of range.
qint32 safeLong(QStringView text);

// An issue name as it fits the 20-character field of Mei.
QString fitName(const QString &name);

// "Ds200007.14", "Ys200007.14".
QString dailyFileName(const QDate &date);
QString marginFileName(const QDate &date);

// The file name alone (for messages).
QString baseName(const QString &path);

// The writes of one input file inside a run's write batch: kept by release() when the file ends
// well, taken back whole when an error ends the run during the file (the files before it stay).
// Record sets reading the file's tables are closed before it is left.
class FileWrites final
{
public:
    explicit FileWrites(db::Database &database);
    ~FileWrites();
    FileWrites(const FileWrites &) = delete;
    FileWrites &operator=(const FileWrites &) = delete;
    void release();

private:
    db::Database &m_database;
    bool m_open = true;
};

// The issues a run over all of Mei goes through: their codes in code order, and the count its
// percentage label runs to. Throws db::DbError.
struct IssueCodes
{
    int total = 0;
    std::vector<qint64> codes;
};
IssueCodes readIssueCodes(db::Database &database);

// A new daydata or weekdata row.
struct PriceRecord
{
    qint64 code = 0;
    QDate date;
    qint64 open = 0, high = 0, low = 0, close = 0;
    qint64 change = 0; // 前日比
    Currency volume; // 出来高
    qint64 reference = 0; // 基準前日比
};

// Sets 前日比 and 基準前日比 of row from the 基準前日比 of the issue's previous row (nothing when
// there is none): without a previous row the change is 0 and the reference the close; a row
// without trade keeps the previous reference with a change of 0; otherwise the change is taken
// against the previous reference (0 when that is 0) and the close becomes the reference.
void setChangeFromPrevious(PriceRecord &row, std::optional<qint64> previousReference, bool noTrade);

// Sets the price columns of row on a recordset after addNew (weekdata's 売残 and 買残 are left to
// the caller).
void setPriceFields(db::Recordset &rs, const PriceRecord &row);

} // namespace importer
