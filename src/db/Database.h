#pragma once

// The database engine layer: one SQLite file, opened per operation, spoken to in the legacy
// dialect. Every Update and every action query is durable when it returns; a WriteBatch groups a
// long loop into one transaction that commits on every exit path.

#include "db/DbError.h"
#include "db/Recordset.h"

#include <QString>
#include <QVariant>

#include <memory>

struct sqlite3;

namespace db {

class Connection;

enum class RecordsetType { Table = 1, Dynaset = 2 };

class Database final
{
public:
    // Opens an existing database of this program. Throws DbError (3024 missing, 3343 not ours,
    // 3051 read-only) without touching the file.
    explicit Database(const QString &path);
    ~Database(); // closes; closing checkpoints, so the file is complete afterwards
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    // Creates a new, empty database file (no tables). Throws when the file exists or cannot be made.
    static void createEmpty(const QString &path);
    // True when the file is a database of this program (checked without opening it for writing).
    static bool isOwnDatabase(const QString &path);
    // Closes the connections kept for reuse. Call it before copying, renaming or replacing a
    // database file (backup, restore, compaction).
    static void closeAll();

    // Runs an action query (delete, update, insert, create). All-or-nothing: on failure it changes
    // nothing and throws. Returns the number of rows changed.
    int execute(const QString &legacySql);
    // Runs SQLite text as it stands (schema creation, pragmas). Throws DbError.
    void executeRaw(const QString &sqliteSql);

    // Opens a record set from a table name or a select text.
    Recordset openRecordset(const QString &tableOrSelect, RecordsetType type = RecordsetType::Dynaset);
    // The first column of the first row, or a null QVariant when there is no row.
    QVariant scalar(const QString &legacySelect);

    void close();
    bool isOpen() const;
    const QString &path() const { return m_path; }
    sqlite3 *handle() const; // for benchmarks and the schema builder
    std::shared_ptr<Connection> connection() const { return m_conn; }

private:
    QString m_path;
    std::shared_ptr<Connection> m_conn;
    qint64 m_changesAtOpen = 0;
};

// Groups the writes of a long loop into transactions. The transaction commits when the batch ends,
// also when an exception leaves the scope, so "rows saved so far stay". commit() marks a safe point
// (the end of a day file, of an issue): what is there is committed once the transaction has been open
// for GroupMs or more, otherwise it goes on into the next safe point. So one file is always whole or
// absent, a short run commits once, and a year of day files does not pay a commit per file (each
// commit rewrites thousands of scattered index pages). commitNow() commits at once. Nested batches
// join the outer one.
class WriteBatch final
{
public:
    static constexpr int GroupMs = 1000;

    explicit WriteBatch(Database &database);
    ~WriteBatch();
    WriteBatch(const WriteBatch &) = delete;
    WriteBatch &operator=(const WriteBatch &) = delete;
    void commit();
    void commitNow();

private:
    std::shared_ptr<Connection> m_conn;
    bool m_outer = false;
    qint64 m_beganMs = 0;
};

} // namespace db
