#pragma once

// Many new rows into one table through one prepared statement: the values are given in the order
// of the columns named once, and converted and checked as a record set's AddNew/Update does (type,
// range and size), without looking the columns up by name for every row.

#include "base/Currency.h"
#include "db/DbError.h"

#include <QDate>

#include <QString>
#include <QStringList>
#include <QVariant>

#include <initializer_list>
#include <memory>
#include <vector>

struct sqlite3_stmt;

namespace db {

class Connection;
class Database;
struct ColumnInfo;
struct TableInfo;

class RowInserter final
{
public:
    // Throws DbError when the table or a column does not exist.
    RowInserter(Database &database, const QString &table, const QStringList &columns);
    ~RowInserter();
    RowInserter(const RowInserter &) = delete;
    RowInserter &operator=(const RowInserter &) = delete;

    // Inserts one row; values follow the columns. False when a row with the same key is there
    // (nothing is written); throws DbError on any other failure.
    bool insert(std::initializer_list<QVariant> values);

    // The same row value by value, for a loop over many rows: set every position, then
    // insertRow(). Checked and stored as insert() would; a date the row before had at the same
    // position is not converted again.
    void setWhole(size_t position, qint64 value);
    void setDate(size_t position, const QDate &value);
    void setCurrency(size_t position, const Currency &value);
    bool insertRow();

private:
    const ColumnInfo &column(size_t position) const;

    std::shared_ptr<Connection> m_conn;
    std::shared_ptr<const TableInfo> m_table;
    std::vector<int> m_columns; // indexes into m_table->columns
    std::vector<QDate> m_boundDates; // per position: the date bound there, when one is
    QString m_sql;
    sqlite3_stmt *m_statement = nullptr;
};

} // namespace db
