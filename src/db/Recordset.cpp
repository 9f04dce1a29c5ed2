#include "db/Recordset.h"

#include "db/Connection.h"
#include "db/Database.h"
#include "db/SqlTranslator.h"

#include <QRegularExpression>

#include <sqlite3.h>

#include <vector>

namespace db {

struct FieldInfo
{
    QString name;
    FieldType type = FieldType::Other;
};

struct RecordsetState
{
    std::shared_ptr<Connection> conn;
    QString sql; // SQLite text of the cursor
    sqlite3_stmt *cursor = nullptr; // null once every row is read
    std::vector<FieldInfo> fields; // visible fields
    int rowidColumn = -1; // column of the rowid in the cursor, -1 when not updatable
    std::vector<std::vector<QVariant>> rows;
    std::vector<qint64> rowids;
    std::vector<char> deleted;
    qsizetype pos = 0; // -1 = BOF
    bool forwardOnly = false; // the buffers hold the current row alone
    bool noMatch = false;
    QString baseTable; // empty when not updatable
    enum class Mode
    {
        None,
        Add,
        Edit
    } mode = Mode::None;
    std::vector<QVariant> pending; // per base-table column
    std::vector<char> pendingSet;
    std::shared_ptr<const TableInfo> base; // resolved once
    int lastSetColumn = -1;
    // The statement of the last Update, kept checked out while the same columns are written
    // (a loop of AddNew/Update reuses it without looking it up).
    QString writeSql;
    sqlite3_stmt *writeStmt = nullptr;
    quint64 writeMask = 0;
    bool writeIsInsert = false;

    ~RecordsetState()
    {
        releaseCursor();
        if (writeStmt && conn)
            conn->release(writeSql, writeStmt);
    }

    void releaseCursor()
    {
        if (cursor && conn)
            conn->release(sql, cursor);
        cursor = nullptr;
    }

    bool fetchOne()
    {
        if (!cursor)
            return false;
        const int rc = sqlite3_step(cursor);
        if (rc == SQLITE_ROW) {
            std::vector<QVariant> row;
            row.reserve(fields.size());
            int vi = 0;
            const int n = sqlite3_column_count(cursor);
            for (int i = 0; i < n; ++i) {
                if (i == rowidColumn) {
                    rowids.push_back(sqlite3_column_int64(cursor, i));
                    continue;
                }
                row.push_back(Connection::readColumn(cursor, i, fields[size_t(vi++)].type));
            }
            rows.push_back(std::move(row));
            deleted.push_back(0);
            return true;
        }
        if (rc != SQLITE_DONE) {
            const DbError e = conn->errorFor(rc, sql);
            releaseCursor();
            throw e;
        }
        releaseCursor();
        return false;
    }

    bool ensure(qsizetype index)
    {
        while (qsizetype(rows.size()) <= index)
            if (!fetchOne())
                return false;
        return true;
    }

    void fetchAll()
    {
        while (fetchOne()) {
        }
    }

    // The first row at or after index that is not deleted; rows.size() when none.
    qsizetype forwardFrom(qsizetype index)
    {
        while (ensure(index) && deleted[size_t(index)])
            ++index;
        return ensure(index) ? index : qsizetype(rows.size());
    }
};

namespace {

DbError noCurrent()
{
    return DbError(ErrorNumber::NoCurrentRecord, QStringLiteral("カレント レコードがありません。"));
}

RecordsetState &stateOf(const std::shared_ptr<RecordsetState> &s)
{
    if (!s)
        throw DbError(ErrorNumber::Other, QStringLiteral("レコードセットが閉じられています。"));
    return *s;
}

void refuseOnForwardOnly(const RecordsetState &s)
{
    if (s.forwardOnly)
        throw DbError(ErrorNumber::Other, QStringLiteral("前方スクロール専用のレコードセットでは実行できません。"));
}

bool isPlainName(const QString &text)
{
    static const QRegularExpression re(QStringLiteral("^\\s*\\[?[^\\s\\[\\]();,]+\\]?\\s*$"));
    return re.match(text).hasMatch();
}

} // namespace

Recordset Database::openRecordset(const QString &tableOrSelect, RecordsetType type)
{
    return openRecordset(tableOrSelect, Params(), type);
}

Recordset Database::openRecordset(const QString &tableOrSelect, const Params &params, RecordsetType type)
{
    if (!m_conn)
        throw DbError(ErrorNumber::Other, QStringLiteral("データベースが閉じられています。"));
    auto st = std::make_shared<RecordsetState>();
    st->conn = m_conn;
    st->forwardOnly = type == RecordsetType::ForwardOnly;
    QString table;
    if (isPlainName(tableOrSelect)) {
        table = tableOrSelect.trimmed();
        if (table.startsWith(QLatin1Char('[')))
            table = table.mid(1, table.size() - 2);
        const std::shared_ptr<const TableInfo> info = m_conn->tableInfo(table); // throws for an unknown table
        table = info->name;
        st->sql = QStringLiteral("SELECT rowid, * FROM \"%1\"").arg(table);
        st->rowidColumn = 0;
    } else {
        const std::shared_ptr<const TranslatedQuery> q = translateCached(tableOrSelect);
        if (!q->isSelect)
            throw DbError(ErrorNumber::SyntaxError, QStringLiteral("レコードセットを開けるのは SELECT だけです: %1").arg(tableOrSelect));
        st->sql = q->sql;
        if (!q->baseTable.isEmpty() && q->selectListStart >= 0) {
            table = m_conn->tableInfo(q->baseTable)->name;
            QString qualifier = q->baseQualifier;
            qualifier.replace(QLatin1Char('"'), QLatin1String("\"\""));
            st->sql.insert(q->selectListStart, QStringLiteral(" \"%1\".rowid,").arg(qualifier));
            st->rowidColumn = 0;
        }
    }
    st->baseTable = table;
    if (!table.isEmpty())
        st->base = m_conn->tableInfo(table);
    st->cursor = m_conn->acquireBound(st->sql, params, tableOrSelect);
    const int n = sqlite3_column_count(st->cursor);
    for (int i = 0; i < n; ++i) {
        if (i == st->rowidColumn)
            continue;
        const ColumnInfo ci = columnInfoFromDecl(QString::fromUtf8(sqlite3_column_name(st->cursor, i)), sqlite3_column_decltype(st->cursor, i));
        st->fields.push_back({ci.name, ci.type});
    }
    st->pos = st->forwardFrom(0);
    return Recordset(st);
}

Recordset::Recordset() = default;
Recordset::Recordset(std::shared_ptr<RecordsetState> state)
    : m_state(std::move(state)) { }
Recordset::~Recordset() = default;
Recordset::Recordset(Recordset &&) noexcept = default;
Recordset &Recordset::operator=(Recordset &&) noexcept = default;

bool Recordset::isOpen() const
{
    return bool(m_state);
}
void Recordset::close()
{
    m_state.reset();
}

int Recordset::fieldCount() const
{
    return int(stateOf(m_state).fields.size());
}
QString Recordset::fieldName(int index) const
{
    return stateOf(m_state).fields.at(size_t(index)).name;
}
FieldType Recordset::fieldType(int index) const
{
    return stateOf(m_state).fields.at(size_t(index)).type;
}

int Recordset::fieldIndex(const QString &name) const
{
    const auto &f = stateOf(m_state).fields;
    for (size_t i = 0; i < f.size(); ++i)
        if (f[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

QVariant Recordset::value(int index) const
{
    RecordsetState &s = stateOf(m_state);
    if (s.pos < 0 || !s.ensure(s.pos) || s.deleted[size_t(s.pos)])
        throw noCurrent();
    if (index < 0 || index >= int(s.fields.size()))
        throw DbError(ErrorNumber::TooFewParameters, QStringLiteral("フィールド番号 %1 はありません。").arg(index));
    return s.rows[size_t(s.pos)][size_t(index)];
}

QVariant Recordset::value(const QString &name) const
{
    const int i = fieldIndex(name);
    if (i < 0)
        throw DbError(ErrorNumber::TooFewParameters, QStringLiteral("このコレクションには、フィールド '%1' はありません。").arg(name));
    return value(i);
}

bool Recordset::isNull(const QString &name) const
{
    return value(name).isNull();
}

namespace {

qint64 longOf(const QVariant &v)
{
    if (v.isNull())
        return 0;
    if (v.metaType() == QMetaType::fromType<Currency>())
        return qint64(Rounding::nearest(v.value<Currency>().toDouble()));
    bool ok = false;
    const double d = v.toDouble(&ok);
    return ok ? qint64(Rounding::nearest(d)) : 0;
}

Currency currencyOf(const QVariant &v)
{
    bool ok = false;
    const Currency c = Currency::fromVariant(v, &ok);
    return ok ? c : Currency();
}

QDate dateOf(const QVariant &v)
{
    if (v.typeId() == QMetaType::QDate)
        return v.toDate();
    if (v.typeId() == QMetaType::QDateTime)
        return v.toDateTime().date();
    return QDate::fromString(v.toString().left(10), Qt::ISODate);
}

} // namespace

qint64 Recordset::toLong(const QString &name) const
{
    return longOf(value(name));
}

qint64 Recordset::toLong(int index) const
{
    return longOf(value(index));
}

Currency Recordset::toCurrency(const QString &name) const
{
    return currencyOf(value(name));
}

Currency Recordset::toCurrency(int index) const
{
    return currencyOf(value(index));
}

QDate Recordset::toDate(const QString &name) const
{
    return dateOf(value(name));
}

QDate Recordset::toDate(int index) const
{
    return dateOf(value(index));
}

QString Recordset::toText(const QString &name) const
{
    const QVariant v = value(name);
    if (v.isNull())
        return QString();
    if (v.metaType() == QMetaType::fromType<Currency>())
        return v.value<Currency>().toString();
    return v.toString();
}

bool Recordset::toBool(const QString &name) const
{
    return value(name).toBool();
}

bool Recordset::eof() const
{
    RecordsetState &s = stateOf(m_state);
    return s.pos >= 0 && !s.ensure(s.pos);
}

bool Recordset::bof() const
{
    return stateOf(m_state).pos < 0 || (stateOf(m_state).rows.empty() && eof());
}

void Recordset::moveFirst()
{
    RecordsetState &s = stateOf(m_state);
    refuseOnForwardOnly(s);
    s.pos = s.forwardFrom(0);
}

void Recordset::moveNext()
{
    RecordsetState &s = stateOf(m_state);
    if (eof())
        throw noCurrent();
    if (s.forwardOnly) {
        // Drop the row left behind: the buffers never grow past the current row.
        s.rows.clear();
        s.rowids.clear();
        s.deleted.clear();
        s.pos = s.forwardFrom(0);
        return;
    }
    s.pos = s.forwardFrom(s.pos + 1);
}

void Recordset::movePrevious()
{
    RecordsetState &s = stateOf(m_state);
    refuseOnForwardOnly(s);
    if (s.pos < 0)
        throw noCurrent();
    qsizetype p = s.pos - 1;
    while (p >= 0 && s.deleted[size_t(p)])
        --p;
    s.pos = p;
}

void Recordset::moveLast()
{
    RecordsetState &s = stateOf(m_state);
    refuseOnForwardOnly(s);
    s.fetchAll();
    qsizetype p = qsizetype(s.rows.size()) - 1;
    while (p >= 0 && s.deleted[size_t(p)])
        --p;
    s.pos = p < 0 ? qsizetype(s.rows.size()) : p;
}

int Recordset::recordCount() const
{
    RecordsetState &s = stateOf(m_state);
    refuseOnForwardOnly(s);
    int n = 0;
    for (char d : s.deleted)
        n += d ? 0 : 1;
    return n;
}

int Recordset::absolutePosition() const
{
    RecordsetState &s = stateOf(m_state);
    refuseOnForwardOnly(s);
    if (s.pos < 0 || !s.ensure(s.pos))
        return -1;
    int n = 0;
    for (qsizetype i = 0; i < s.pos; ++i)
        n += s.deleted[size_t(i)] ? 0 : 1;
    return n;
}

bool Recordset::findFirst(const QString &criteria)
{
    RecordsetState &s = stateOf(m_state);
    refuseOnForwardOnly(s);
    s.fetchAll();
    // Each row's values are offered to SQLite as a one-row table and tested with the criteria.
    QString columns;
    for (size_t i = 0; i < s.fields.size(); ++i) {
        QString n = s.fields[i].name;
        n.replace(QLatin1Char('"'), QLatin1String("\"\""));
        columns += (i ? QStringLiteral(", ") : QString()) + QStringLiteral("?%1 AS \"%2\"").arg(i + 1).arg(n);
    }
    const QString where = translateCached(QStringLiteral("select 1 from t where ") + criteria)->sql.section(QStringLiteral(" where "), 1);
    const QString sql = QStringLiteral("SELECT 1 FROM (SELECT %1) WHERE %2").arg(columns, where);
    sqlite3_stmt *st = s.conn->acquire(sql);
    bool found = false;
    for (size_t r = 0; r < s.rows.size() && !found; ++r) {
        if (s.deleted[r])
            continue;
        sqlite3_reset(st);
        for (size_t i = 0; i < s.fields.size(); ++i) {
            const QVariant &v = s.rows[r][i];
            if (v.typeId() == QMetaType::QDateTime)
                Connection::bind(st, int(i + 1), v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
            else if (v.typeId() == QMetaType::Bool)
                Connection::bind(st, int(i + 1), qint64(v.toBool() ? 1 : 0));
            else
                Connection::bind(st, int(i + 1), v);
        }
        const int rc = sqlite3_step(st);
        if (rc == SQLITE_ROW) {
            found = true;
            s.pos = qsizetype(r);
        } else if (rc != SQLITE_DONE) {
            const DbError e = s.conn->errorFor(rc, criteria);
            s.conn->release(sql, st);
            throw e;
        }
    }
    s.conn->release(sql, st);
    s.noMatch = !found;
    return found;
}

bool Recordset::noMatch() const
{
    return stateOf(m_state).noMatch;
}

Recordset Recordset::clone() const
{
    RecordsetState &s = stateOf(m_state);
    refuseOnForwardOnly(s);
    s.fetchAll();
    auto c = std::make_shared<RecordsetState>();
    c->conn = s.conn;
    c->sql = s.sql;
    c->fields = s.fields;
    c->rowidColumn = s.rowidColumn;
    c->rows = s.rows;
    c->rowids = s.rowids;
    c->deleted = s.deleted;
    c->baseTable = s.baseTable;
    c->base = s.base;
    c->pos = c->forwardFrom(0);
    return Recordset(c);
}

bool Recordset::isUpdatable() const
{
    return !stateOf(m_state).baseTable.isEmpty();
}

static RecordsetState &updatable(const std::shared_ptr<RecordsetState> &p)
{
    RecordsetState &s = stateOf(p);
    if (s.baseTable.isEmpty())
        throw DbError(ErrorNumber::Other, QStringLiteral("このレコードセットは更新できません。"));
    return s;
}

void Recordset::addNew()
{
    RecordsetState &s = updatable(m_state);
    const TableInfo &t = *s.base;
    s.mode = RecordsetState::Mode::Add;
    s.pending.assign(t.columns.size(), QVariant());
    s.pendingSet.assign(t.columns.size(), 0);
    s.lastSetColumn = -1;
}

void Recordset::edit()
{
    RecordsetState &s = updatable(m_state);
    if (s.pos < 0 || !s.ensure(s.pos) || s.deleted[size_t(s.pos)])
        throw noCurrent();
    const TableInfo &t = *s.base;
    s.mode = RecordsetState::Mode::Edit;
    s.pending.assign(t.columns.size(), QVariant());
    s.pendingSet.assign(t.columns.size(), 0);
    s.lastSetColumn = -1;
}

void Recordset::setValue(const QString &name, const QVariant &value)
{
    RecordsetState &s = updatable(m_state);
    if (s.mode == RecordsetState::Mode::None)
        throw DbError(ErrorNumber::UpdateWithoutEdit, QStringLiteral("AddNew または Edit を実行せずに更新しようとしました。"));
    const TableInfo &t = *s.base;
    // Callers usually set the fields in table order: try the next column first.
    int ci = -1;
    const int guess = s.lastSetColumn + 1;
    if (guess < int(t.columns.size()) && t.columns[size_t(guess)].name == name)
        ci = guess;
    else
        ci = t.indexOf(name);
    s.lastSetColumn = ci;
    if (ci < 0)
        throw DbError(ErrorNumber::TooFewParameters, QStringLiteral("このコレクションには、フィールド '%1' はありません。").arg(name));
    s.pending[size_t(ci)] = Connection::toStorage(t.columns[size_t(ci)], value);
    s.pendingSet[size_t(ci)] = 1;
}

void Recordset::update()
{
    RecordsetState &s = updatable(m_state);
    if (s.mode == RecordsetState::Mode::None)
        throw DbError(ErrorNumber::UpdateWithoutEdit, QStringLiteral("AddNew または Edit を実行せずに更新しようとしました。"));
    const TableInfo &t = *s.base;
    std::vector<int> cols;
    quint64 mask = 0;
    for (size_t i = 0; i < t.columns.size(); ++i)
        if (s.pendingSet[i]) {
            cols.push_back(int(i));
            mask |= quint64(1) << (i % 64);
        }
    const bool insert = s.mode == RecordsetState::Mode::Add;
    if (!insert && cols.empty()) {
        s.mode = RecordsetState::Mode::None;
        return;
    }
    if (!s.writeStmt || s.writeMask != mask || s.writeIsInsert != insert) {
        const QString table = QStringLiteral("\"%1\"").arg(t.name);
        QString sql;
        if (insert) {
            QString names, marks;
            for (size_t k = 0; k < cols.size(); ++k) {
                names += (k ? QStringLiteral(",\"") : QStringLiteral("\"")) + t.columns[size_t(cols[k])].name + QLatin1Char('"');
                marks += k ? QStringLiteral(",?") : QStringLiteral("?");
            }
            sql = cols.empty() ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(table)
                               : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(table, names, marks);
        } else {
            QString sets;
            for (size_t k = 0; k < cols.size(); ++k)
                sets += (k ? QStringLiteral(",\"") : QStringLiteral("\"")) + t.columns[size_t(cols[k])].name + QStringLiteral("\"=?");
            sql = QStringLiteral("UPDATE %1 SET %2 WHERE rowid=?").arg(table, sets);
        }
        if (s.writeStmt)
            s.conn->release(s.writeSql, s.writeStmt);
        s.writeStmt = nullptr;
        s.writeStmt = s.conn->acquire(sql);
        s.writeSql = sql;
        s.writeMask = mask;
        s.writeIsInsert = insert;
    }
    sqlite3_stmt *st = s.writeStmt;
    for (size_t k = 0; k < cols.size(); ++k)
        Connection::bind(st, int(k + 1), s.pending[size_t(cols[k])]);
    if (!insert)
        sqlite3_bind_int64(st, int(cols.size() + 1), s.rowids[size_t(s.pos)]);
    const int rc = sqlite3_step(st);
    sqlite3_reset(st);
    if (rc != SQLITE_DONE)
        throw s.conn->errorFor(rc, s.writeSql); // the pending values stay, as a failed Update leaves the edit open
    if (!insert) {
        // Keep the buffered row in step with what was written.
        auto &row = s.rows[size_t(s.pos)];
        for (int c : cols) {
            for (size_t f = 0; f < s.fields.size(); ++f)
                if (s.fields[f].name.compare(t.columns[size_t(c)].name, Qt::CaseInsensitive) == 0) {
                    const QVariant &v = s.pending[size_t(c)];
                    row[f] = v;
                    if (!v.isNull()) {
                        const FieldType ft = t.columns[size_t(c)].type;
                        if (ft == FieldType::Date)
                            row[f] = QDate::fromString(v.toString().left(10), Qt::ISODate);
                        else if (ft == FieldType::Currency)
                            row[f] = QVariant::fromValue(Currency::fromVariant(v));
                        else if (ft == FieldType::Boolean)
                            row[f] = v.toLongLong() != 0;
                    }
                }
        }
    }
    s.mode = RecordsetState::Mode::None;
}

void Recordset::cancelUpdate()
{
    stateOf(m_state).mode = RecordsetState::Mode::None;
}

void Recordset::deleteCurrent()
{
    RecordsetState &s = updatable(m_state);
    if (s.pos < 0 || !s.ensure(s.pos) || s.deleted[size_t(s.pos)])
        throw noCurrent();
    const TableInfo &t = *s.base;
    const QString sql = QStringLiteral("DELETE FROM \"%1\" WHERE rowid=?").arg(t.name);
    sqlite3_stmt *st = s.conn->acquire(sql);
    sqlite3_bind_int64(st, 1, s.rowids[size_t(s.pos)]);
    const int rc = sqlite3_step(st);
    if (rc != SQLITE_DONE) {
        const DbError e = s.conn->errorFor(rc, sql);
        s.conn->release(sql, st);
        throw e;
    }
    s.conn->release(sql, st);
    s.deleted[size_t(s.pos)] = 1;
}

} // namespace db
