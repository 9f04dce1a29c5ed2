#pragma once

// The database as a file: checking a copy without changing anything beside it, holding the file
// for this process alone, and putting a checked file in its place so that at every instant the
// database's name leads to a whole database.

#include <QString>

#include <functional>
#include <map>
#include <memory>

struct sqlite3;

namespace db {

class Connection;

// Row counts per table, keyed by the table's name in lower case.
using RowCounts = std::map<QString, qint64>;

enum class CheckDepth
{
    Layout, // stamp, version, tables and size, without reading every page: for a page-by-page copy
    Quick, // page structure (quick_check): for a copy this program has just made
    Full // every index against its table as well (integrity_check): for a file a user brings
};

struct FileCheck
{
    QString refusal; // empty when the file is a whole database of this program
    int userVersion = 0;
    qint64 pageCount = 0;
    RowCounts rows; // not counted at the Layout depth
    bool ok() const { return refusal.isEmpty(); }
};

// Checks a database file: an SQLite file with this program's stamp, a layout version this program
// knows, the engine's own check, every table and column the program needs. Reads the file alone,
// as it stands, and creates nothing beside it (read-only media work). The refusal names the file.
FileCheck CheckDatabaseFile(const QString &path, CheckDepth depth);

// Counts the rows of every table of an open database.
RowCounts CountRows(sqlite3 *handle);

// Holds a database file for this process alone: no other connection, of this or another program,
// is open on it, and none can open until the hold ends. The file is in rollback-journal mode while
// held (its log written back and removed), so renaming it moves the whole database. Throws DbError:
// 3218 when another program uses the file (after waiting as a writer does), 3343 when the file is
// not a database of this program.
class ExclusiveHold final
{
public:
    explicit ExclusiveHold(const QString &path);
    ~ExclusiveHold();
    ExclusiveHold(const ExclusiveHold &) = delete;
    ExclusiveHold &operator=(const ExclusiveHold &) = delete;

    sqlite3 *handle() const;
    // Runs SQLite text on the held connection; throws DbError.
    void execute(const QString &sqliteSql);

private:
    std::shared_ptr<Connection> m_conn;
};

// The points a replacement passes; a test seam may stop there as a killed process would.
enum class ReplaceStep
{
    Written, // the replacement is whole and synced beside the database
    Checked, // the replacement passed its check
    PreviousKept, // the replaced database is whole under the name it keeps
    Swapped // the replacement holds the database's name
};
using StepSeam = std::function<bool(ReplaceStep)>;

// Puts `replacement` (a whole, checked, synced database file in the database's folder) in place of
// `dbPath`. The file it replaces stays whole under `keepAs` (any earlier file of that name is
// replaced only once the new one is complete); a missing dbPath is simply filled. `hold` is the
// exclusive hold on dbPath when dbPath is a database in use by this program (nullptr for a broken
// or missing file). False when `seam` stopped it. Throws DbError; dbPath is then unchanged.
bool PutReplacement(const QString &replacement, const QString &dbPath, const QString &keepAs, ExclusiveHold *hold,
                    const StepSeam &seam = {});

// Renames a finished file to a name that must not exist yet, and makes the rename durable.
void PutInPlace(const QString &from, const QString &to);
// Renames a finished file over another in one step, and makes the rename durable.
void RenameOver(const QString &from, const QString &to);

// A second name of the database file itself (a replacement stopped between taking the backup's name
// and giving the database its new file leaves one) is no backup: the name is removed. True when it
// was.
bool ForgetSharedName(const QString &dbPath, const QString &other);

// Removes a database file with its log companions (-wal, -shm, -journal).
void RemoveDatabaseFiles(const QString &path);

// Flushes a file that no connection holds to the disk. False when that fails.
bool SyncFile(const QString &path);

} // namespace db
