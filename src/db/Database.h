#pragma once

// The database engine layer: one SQLite file, opened per operation, spoken to in the legacy
// dialect. Every Update and every action query is committed when it returns; a WriteBatch groups a
// long loop into transactions and is finished explicitly; close() makes the file complete.

#include "db/DbError.h"
#include "db/Param.h"
#include "db/Recordset.h"

#include <QString>
#include <QVariant>

#include <exception>
#include <memory>

struct sqlite3;

namespace db {

class Connection;

// The layout version of a database of this program (its PRAGMA user_version). An older file is
// brought up to date when it is first opened; a newer one is refused.
constexpr int SchemaVersion = 4;
// Stamped into every database this program creates (SQLite's application_id, "MIRV").
constexpr quint32 ApplicationId = 0x4D495256;
// The page size of a file this program writes whole (a new or compacted database). A new day adds
// one row to the last index page of every issue, and each of those pages goes to the log and back
// into the file: 1 KiB pages log a quarter of the bytes that 4 KiB ones do. A file made with
// another size keeps it until it is compacted.
constexpr int FilePageSize = 1024;

enum class RecordsetType
{
    Table = 1,
    Dynaset = 2,
    // Reads ahead only and keeps the current row alone, so a pass over any number of rows runs in
    // flat memory. The current row can be edited or deleted; moving back, finding, cloning and
    // counting are refused.
    ForwardOnly = 8
};

class Database final
{
public:
    // Opens an existing database of this program. Throws DbError (3024 missing, 3343 not ours,
    // 3346 made by a newer version, 3051 read-only, 3218 held by another program) without touching
    // the file.
    explicit Database(const QString &path);
    ~Database(); // closes as close() does, but an error of the checkpoint is not raised
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    // Creates a new, empty database file (no tables). Throws when the file exists or cannot be made.
    static void createEmpty(const QString &path);
    // True when the file is a database of this program. Read through SQLite, so it is safe while
    // this process holds connections to the file.
    static bool isOwnDatabase(const QString &path);
    // Closes the connections kept for reuse. Call it before copying, renaming or replacing a
    // database file (backup, restore, compaction). Throws DbError when a connection does not close
    // cleanly (its log could not be written back into the file).
    static void closeAll();

    // Runs an action query (delete, update, insert, create). All-or-nothing: on failure it changes
    // nothing and throws. Returns the number of rows changed. The params are bound to the ? marks
    // of the text in order (a count that does not match is refused with 3061).
    int execute(const QString &legacySql, const Params &params = {});
    // Runs SQLite text as it stands (schema creation, pragmas). Throws DbError.
    void executeRaw(const QString &sqliteSql);

    // Opens a record set from a table name or a select text.
    Recordset openRecordset(const QString &tableOrSelect, RecordsetType type = RecordsetType::Dynaset);
    // Opens a record set from a select whose ? marks take the params.
    Recordset openRecordset(const QString &legacySelect, const Params &params, RecordsetType type = RecordsetType::Dynaset);
    // The first column of the first row, or a null QVariant when there is no row.
    QVariant scalar(const QString &legacySelect, const Params &params = {});
    // The same for SQLite text as it stands (pragmas).
    QVariant scalarRaw(const QString &sqliteSql);

    // Ends the operation: writes the log back into the file (so the file is complete and durable)
    // and keeps the connection for the next one. Throws DbError when that fails; the committed rows
    // then stay in the log. Call it at the end of an operation that wrote.
    void close();
    // Writes the log back into the file now, so that the file alone holds the whole database.
    void checkpoint();
    bool isOpen() const;
    const QString &path() const { return m_path; }
    sqlite3 *handle() const; // for benchmarks and the schema builder
    std::shared_ptr<Connection> connection() const { return m_conn; }

private:
    QString m_path;
    std::shared_ptr<Connection> m_conn;
    qint64 m_changesAtOpen = 0;
};

// Groups the writes of a long loop into transactions. commit() marks a safe point (the end of a
// day file, of an issue): what is there is committed once the transaction has been open for GroupMs
// or more, otherwise it goes on into the next safe point. So a short run commits once, and a year of
// day files does not pay a commit per file (each commit rewrites thousands of scattered index
// pages). commitNow() commits at once. finish() ends a successful loop with the last commit and
// throws DbError when it fails. When an exception leaves the scope the batch commits what is there
// ("rows saved so far stay"); a batch left any other way without finish() commits too and throws
// when that fails. Nested batches join the outer one.
class WriteBatch final
{
public:
    static constexpr int GroupMs = 2000;

    explicit WriteBatch(Database &database);
    ~WriteBatch() noexcept(false);
    WriteBatch(const WriteBatch &) = delete;
    WriteBatch &operator=(const WriteBatch &) = delete;
    // True when it committed.
    bool commit();
    void commitNow();
    // Takes back everything written since the last commit and goes on in a new transaction. Only
    // the outermost batch can: a nested one leaves it to its owner (see isOuter()).
    void rollback();
    bool isOuter() const { return m_outer; }
    void finish();

private:
    // Commits or rolls back the open transaction and begins the next one.
    void endTransaction(const char *ending);

    std::shared_ptr<Connection> m_conn;
    int m_uncaught = std::uncaught_exceptions();
    bool m_outer = false;
    qint64 m_beganMs = 0;
};

// One all-or-nothing unit: what runs between construction and commit() is applied whole or not at
// all; an exception or a return without commit() rolls it back. Inside a write batch or another
// transaction it is a savepoint of that one.
class Transaction final
{
public:
    explicit Transaction(Database &database);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;
    void commit();

private:
    std::shared_ptr<Connection> m_conn;
    bool m_nested = false;
};

} // namespace db
