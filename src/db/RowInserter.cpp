#include "db/RowInserter.h"

#include "db/Connection.h"
#include "db/Database.h"

#include <sqlite3.h>

namespace db {

RowInserter::RowInserter(Database &database, const QString &table, const QStringList &columns)
    : m_conn(database.connection())
{
    if (!m_conn)
        throw DbError(ErrorNumber::Other, QStringLiteral("データベースが閉じられています。"));
    m_table = m_conn->tableInfo(table);
    QString names, marks;
    for (const QString &column : columns) {
        const int index = m_table->indexOf(column);
        if (index < 0)
            throw DbError(ErrorNumber::TooFewParameters, QStringLiteral("このコレクションには、フィールド '%1' はありません。").arg(column));
        m_columns.push_back(index);
        names += (names.isEmpty() ? QStringLiteral("\"") : QStringLiteral(",\"")) + m_table->columns[size_t(index)].name + QLatin1Char('"');
        marks += marks.isEmpty() ? QStringLiteral("?") : QStringLiteral(",?");
    }
    m_boundDates.resize(m_columns.size());
    m_sql = QStringLiteral("INSERT INTO \"%1\" (%2) VALUES (%3)").arg(m_table->name, names, marks);
    m_statement = m_conn->acquire(m_sql);
}

RowInserter::~RowInserter()
{
    if (m_statement)
        m_conn->release(m_sql, m_statement);
}

bool RowInserter::insert(std::initializer_list<QVariant> values)
{
    if (values.size() != m_columns.size())
        throw DbError(ErrorNumber::Other, QStringLiteral("値の数が項目の数と合いません。"));
    size_t k = 0;
    for (const QVariant &value : values) {
        m_boundDates[k] = QDate();
        Connection::bind(m_statement, int(k) + 1, Connection::toStorage(column(k), value));
        ++k;
    }
    return insertRow();
}

const ColumnInfo &RowInserter::column(size_t position) const
{
    if (position >= m_columns.size())
        throw DbError(ErrorNumber::Other, QStringLiteral("値の数が項目の数と合いません。"));
    return m_table->columns[size_t(m_columns[position])];
}

void RowInserter::setWhole(size_t position, qint64 value)
{
    Connection::bindWhole(m_statement, int(position) + 1, column(position), value);
    m_boundDates[position] = QDate();
}

void RowInserter::setDate(size_t position, const QDate &value)
{
    const ColumnInfo &c = column(position);
    if (value.isValid() && value == m_boundDates[position])
        return; // still bound: a statement keeps its values from one step to the next
    m_boundDates[position] = QDate();
    Connection::bindDate(m_statement, int(position) + 1, c, value);
    m_boundDates[position] = value;
}

void RowInserter::setCurrency(size_t position, const Currency &value)
{
    Connection::bindCurrency(m_statement, int(position) + 1, column(position), value);
    m_boundDates[position] = QDate();
}

bool RowInserter::insertRow()
{
    const int rc = sqlite3_step(m_statement);
    sqlite3_reset(m_statement);
    if (rc == SQLITE_DONE)
        return true;
    const DbError error = m_conn->errorFor(rc, m_sql);
    if (error.number() == ErrorNumber::DuplicateKey)
        return false;
    throw error;
}

} // namespace db
