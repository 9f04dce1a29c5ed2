#pragma once

// One import run: what the window opens it for, the ports it runs with, what it hands back, the
// percentage label it keeps current, and the writes of one input file.

#include "base/Ports.h"
#include "import/InputProblems.h"

#include <QString>

#include <optional>

namespace db {
class Database;
} // namespace db

namespace importer {

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

} // namespace importer
