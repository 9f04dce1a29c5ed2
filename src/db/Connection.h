#pragma once

// Internal to the database layer: one open SQLite connection with its statement and table caches.

#include "db/DbError.h"
#include "db/Param.h"
#include "db/Recordset.h"

#include "base/Currency.h"

#include <QHash>
#include <QString>
#include <QVariant>

#include <memory>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace db {

struct ColumnInfo
{
    QString name;
    FieldType type = FieldType::Other;
    int size = 0; // text size in characters
    bool emptyAllowed = true; // text only
    bool autoNumber = false;
};

struct TableInfo
{
    QString name; // as created
    std::vector<ColumnInfo> columns;
    int indexOf(const QString &column) const;
};

// Maps a declared column type of our schema to its field type.
ColumnInfo columnInfoFromDecl(const QString &name, const char *declType);

class Connection final
{
public:
    Connection(const QString &path, sqlite3 *handle);
    ~Connection(); // closes as close() does, without raising
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    // Commits an open transaction and closes the handle (the last connection of a file writes its
    // log back into it). Throws DbError when either fails.
    void close();

    sqlite3 *handle() const { return m_db; }
    const QString &path() const { return m_path; }

    // Prepared statements are cached by their SQLite text; a statement in use is not handed out twice.
    sqlite3_stmt *acquire(const QString &sqliteSql);
    void release(const QString &sqliteSql, sqlite3_stmt *statement);
    // acquire() with the params bound to the statement's ? marks; the statement goes back to the
    // cache when they do not fit it. context names the query in errors.
    sqlite3_stmt *acquireBound(const QString &sqliteSql, const Params &params, const QString &context);

    // Shared, so that a record set keeps what it was opened with while the cache grows.
    std::shared_ptr<const TableInfo> tableInfo(const QString &table);

    // Turns the last SQLite error into the layer's error.
    [[noreturn]] void fail(int rc, const QString &context) const;
    DbError errorFor(int rc, const QString &context) const;

    // Converts a value for a column; throws DbError on a type, range or size violation.
    static QVariant toStorage(const ColumnInfo &column, const QVariant &value);
    // Binds a stored value, or a value of a query parameter (a date as the date text, a Boolean as
    // 0/1); throws DbError 3464 for an invalid date.
    static void bind(sqlite3_stmt *statement, int index, const QVariant &storageValue);
    // toStorage and bind in one step for a value of a known type, without a QVariant on the way
    // when the column stores that type (the same checks, the same stored value).
    static void bindWhole(sqlite3_stmt *statement, int index, const ColumnInfo &column, qint64 value);
    static void bindDate(sqlite3_stmt *statement, int index, const ColumnInfo &column, const QDate &value);
    static void bindCurrency(sqlite3_stmt *statement, int index, const ColumnInfo &column, const Currency &value);
    static QVariant readColumn(sqlite3_stmt *statement, int index, FieldType type);

    int batchDepth = 0;

private:
    QString m_path;
    sqlite3 *m_db;
    QMultiHash<QString, sqlite3_stmt *> m_idle;
    QHash<QString, std::shared_ptr<const TableInfo>> m_tables; // keyed by lower-case name
};

} // namespace db
