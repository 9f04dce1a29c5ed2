#include "db/Connection.h"

#include "base/Currency.h"
#include "base/DateUtil.h"

#include <QDate>
#include <QDateTime>
#include <QFileInfo>
#include <QRegularExpression>

#include <sqlite3.h>

#include <cmath>
#include <limits>

namespace db {

int TableInfo::indexOf(const QString &column) const
{
    for (size_t i = 0; i < columns.size(); ++i)
        if (columns[i].name.compare(column, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

ColumnInfo columnInfoFromDecl(const QString &name, const char *declType)
{
    ColumnInfo c;
    c.name = name;
    const QString d = QString::fromUtf8(declType ? declType : "").toUpper();
    if (d == QLatin1String("INTEGER32"))
        c.type = FieldType::Long;
    else if (d == QLatin1String("INTEGER")) {
        c.type = FieldType::Long;
        c.autoNumber = true;
    } else if (d == QLatin1String("SMALLINT"))
        c.type = FieldType::Integer;
    else if (d == QLatin1String("CURRENCY"))
        c.type = FieldType::Currency;
    else if (d == QLatin1String("DATETEXT"))
        c.type = FieldType::Date;
    else if (d == QLatin1String("BOOLINT"))
        c.type = FieldType::Boolean;
    else if (d.startsWith(QLatin1String("TEXT"))) {
        c.type = FieldType::Text;
        c.emptyAllowed = !d.contains(QLatin1String("NONEMPTY"));
        static const QRegularExpression size(QStringLiteral("\\((\\d+)\\)"));
        const auto m = size.match(d);
        c.size = m.hasMatch() ? m.captured(1).toInt() : 255;
    }
    return c;
}

Connection::Connection(const QString &path, sqlite3 *handle)
    : m_path(path), m_db(handle) { }

Connection::~Connection()
{
    try {
        close();
    } catch (const DbError &) {
        // Reached only through an error path; the error that led there is the one reported.
    }
}

void Connection::close()
{
    if (!m_db)
        return;
    sqlite3 *h = m_db;
    m_db = nullptr;
    int rc = SQLITE_OK;
    if (!sqlite3_get_autocommit(h))
        rc = sqlite3_exec(h, "COMMIT", nullptr, nullptr, nullptr);
    for (sqlite3_stmt *s : std::as_const(m_idle))
        sqlite3_finalize(s);
    m_idle.clear();
    // Closing the last connection checkpoints the write-ahead log into the file and removes it.
    if (rc == SQLITE_OK)
        rc = sqlite3_close(h);
    if (rc == SQLITE_OK)
        return;
    m_db = h;
    const DbError error = errorFor(rc, QStringLiteral("close"));
    m_db = nullptr;
    sqlite3_close_v2(h);
    throw error;
}

sqlite3_stmt *Connection::acquire(const QString &sqliteSql)
{
    auto it = m_idle.find(sqliteSql);
    if (it != m_idle.end()) {
        sqlite3_stmt *s = it.value();
        m_idle.erase(it);
        return s;
    }
    sqlite3_stmt *s = nullptr;
    const QByteArray utf8 = sqliteSql.toUtf8();
    const char *tail = nullptr;
    const int rc = sqlite3_prepare_v3(m_db, utf8.constData(), int(utf8.size()), SQLITE_PREPARE_PERSISTENT, &s, &tail);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(s);
        fail(rc, sqliteSql);
    }
    if (tail && *tail) {
        const QString rest = QString::fromUtf8(tail).trimmed();
        if (!rest.isEmpty() && rest != QLatin1String(";")) {
            sqlite3_finalize(s);
            throw DbError(ErrorNumber::SyntaxError, QStringLiteral("クエリ '%1' の後に余分な文字があります。").arg(sqliteSql));
        }
    }
    return s;
}

void Connection::release(const QString &sqliteSql, sqlite3_stmt *statement)
{
    if (!statement)
        return;
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
    if (m_idle.size() > 256) {
        sqlite3_finalize(statement);
        return;
    }
    m_idle.insert(sqliteSql, statement);
}

sqlite3_stmt *Connection::acquireBound(const QString &sqliteSql, const Params &params, const QString &context)
{
    sqlite3_stmt *s = acquire(sqliteSql);
    try {
        const int marks = sqlite3_bind_parameter_count(s);
        if (marks != int(params.size()))
            throw DbError(ErrorNumber::TooFewParameters,
                          QStringLiteral("クエリ '%1' には値が %2 個必要ですが、%3 個指定されました。").arg(context).arg(marks).arg(params.size()));
        for (size_t i = 0; i < params.size(); ++i)
            bind(s, int(i + 1), params[i].value());
    } catch (const DbError &) {
        release(sqliteSql, s);
        throw;
    }
    return s;
}

std::shared_ptr<const TableInfo> Connection::tableInfo(const QString &table)
{
    const QString key = table.toLower();
    auto it = m_tables.constFind(key);
    if (it != m_tables.constEnd())
        return *it;
    TableInfo info;
    const QString sql = QStringLiteral("SELECT name, type FROM pragma_table_info(?1)");
    sqlite3_stmt *s = acquire(sql);
    const QByteArray t = table.toUtf8();
    sqlite3_bind_text(s, 1, t.constData(), int(t.size()), SQLITE_TRANSIENT);
    while (sqlite3_step(s) == SQLITE_ROW) {
        const QString name = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s, 0)));
        info.columns.push_back(columnInfoFromDecl(name, reinterpret_cast<const char *>(sqlite3_column_text(s, 1))));
    }
    release(sql, s);
    if (info.columns.empty())
        throw DbError(ErrorNumber::TableNotFound, QStringLiteral("入力テーブルまたはクエリ '%1' が見つかりませんでした。").arg(table));
    // The name as created (for messages).
    sqlite3_stmt *n = acquire(QStringLiteral("SELECT name FROM sqlite_schema WHERE type='table' AND name=?1 COLLATE NOCASE"));
    sqlite3_bind_text(n, 1, t.constData(), int(t.size()), SQLITE_TRANSIENT);
    info.name = sqlite3_step(n) == SQLITE_ROW ? QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(n, 0))) : table;
    release(QStringLiteral("SELECT name FROM sqlite_schema WHERE type='table' AND name=?1 COLLATE NOCASE"), n);
    auto shared = std::make_shared<const TableInfo>(std::move(info));
    m_tables.insert(key, shared);
    return shared;
}

DbError Connection::errorFor(int rc, const QString &context) const
{
    const QString msg = QString::fromUtf8(sqlite3_errmsg(m_db));
    const int ext = sqlite3_extended_errcode(m_db);
    switch (rc & 0xFF) {
    case SQLITE_CONSTRAINT:
        if (ext == SQLITE_CONSTRAINT_UNIQUE || ext == SQLITE_CONSTRAINT_PRIMARYKEY)
            return DbError(ErrorNumber::DuplicateKey,
                           QStringLiteral("インデックス、主キー、またはリレーションシップで値が重複しているので、テーブルを変更できませんでした。"));
        if (ext == SQLITE_CONSTRAINT_CHECK) {
            static const QRegularExpression re(QStringLiteral("CHECK constraint failed: (\\w+):(.+)$"));
            const auto m = re.match(msg);
            if (m.hasMatch()) {
                const QString kind = m.captured(1), field = m.captured(2);
                if (kind == QLatin1String("range"))
                    return DbError(ErrorNumber::Overflow, QStringLiteral("オーバーフローしました。(フィールド '%1')").arg(field));
                if (kind == QLatin1String("size"))
                    return DbError(ErrorNumber::FieldTooSmall,
                                   QStringLiteral("フィールド '%1' が小さすぎるため、追加しようとしたデータの量を受け付けられません。").arg(field));
                if (kind == QLatin1String("empty"))
                    return DbError(ErrorNumber::ZeroLengthText, QStringLiteral("フィールド '%1' には長さ 0 の文字列を指定できません。").arg(field));
                return DbError(ErrorNumber::TypeMismatch, QStringLiteral("データ型が一致しません。(フィールド '%1')").arg(field));
            }
        }
        return DbError(ErrorNumber::Other, QStringLiteral("制約違反のため変更できませんでした。(%1)").arg(msg));
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
    case SQLITE_CANTOPEN:
        // The write-ahead log lives beside the file: a folder that cannot be written looks like a
        // lock or a bad path to the engine.
        if (!QFileInfo(QFileInfo(m_path).absolutePath()).isWritable())
            return DbError(ErrorNumber::FileInUse,
                           QStringLiteral("フォルダ '%1' に書き込めないため、データベース '%2' の作業ファイルを作れません。")
                               .arg(QFileInfo(m_path).absolutePath(), m_path));
        if ((rc & 0xff) == SQLITE_CANTOPEN)
            return DbError(ErrorNumber::InvalidPath, QStringLiteral("'%1' は正しいパスではありません。").arg(m_path));
        return DbError(ErrorNumber::LockedRecord, QStringLiteral("データベース '%1' は他の処理でロックされているため更新できません。").arg(m_path));
    case SQLITE_READONLY:
        return DbError(ErrorNumber::FileInUse, QStringLiteral("ファイル '%1' は既に使用されているか、読み取り専用です。").arg(m_path));
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
        return DbError(ErrorNumber::UnrecognizedFormat, QStringLiteral("データベースの形式 '%1' を認識できません。").arg(m_path));
    case SQLITE_FULL:
        return DbError(ErrorNumber::DiskFull, QStringLiteral("ディスクがいっぱいのため、データベース '%1' に書き込めません。").arg(m_path));
    case SQLITE_IOERR:
        return DbError(ErrorNumber::DiskError, QStringLiteral("ディスクまたはネットワークのエラーのため、データベース '%1' に書き込めません。").arg(m_path));
    case SQLITE_ERROR:
        if (msg.startsWith(QLatin1String("no such table")))
            return DbError(ErrorNumber::TableNotFound,
                           QStringLiteral("入力テーブルまたはクエリ '%1' が見つかりませんでした。").arg(msg.section(QLatin1Char(':'), 1).trimmed()));
        if (msg.startsWith(QLatin1String("no such column")))
            return DbError(ErrorNumber::TooFewParameters,
                           QStringLiteral("パラメータが少なすぎます。フィールド '%1' が見つかりません。").arg(msg.section(QLatin1Char(':'), 1).trimmed()));
        return DbError(ErrorNumber::SyntaxError, QStringLiteral("クエリ式 '%1' の構文エラー: %2").arg(context, msg));
    default:
        return DbError(ErrorNumber::Other, QStringLiteral("データベースのエラーです (%1): %2").arg(rc).arg(msg));
    }
}

void Connection::fail(int rc, const QString &context) const
{
    throw errorFor(rc, context);
}

// 'YYYY-MM-DD' without going through the general formatter (hot in imports).
static QString isoDate(const QDate &d)
{
    int y = 0, m = 0, day = 0;
    d.getDate(&y, &m, &day);
    if (y < 0 || y > 9999)
        return d.toString(Qt::ISODate);
    const char16_t buf[10] = {char16_t(u'0' + y / 1000), char16_t(u'0' + y / 100 % 10), char16_t(u'0' + y / 10 % 10), char16_t(u'0' + y % 10), u'-',
                              char16_t(u'0' + m / 10), char16_t(u'0' + m % 10), u'-', char16_t(u'0' + day / 10), char16_t(u'0' + day % 10)};
    return QString::fromUtf16(buf, 10);
}

// 'YYYY-MM-DD', with ' HH:MM:SS' when the time is not midnight: a date literal's text.
static QString dateTimeText(const QDateTime &dt)
{
    if (dt.time() == QTime(0, 0))
        return isoDate(dt.date());
    return dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

static DbError typeMismatch(const ColumnInfo &c, const QVariant &v)
{
    return DbError(ErrorNumber::TypeMismatch, QStringLiteral("データ型が一致しません。(フィールド '%1' に '%2')").arg(c.name, v.toString()));
}

static qint64 toWhole(const ColumnInfo &c, const QVariant &v)
{
    double d = 0;
    bool ok = true;
    if (v.metaType() == QMetaType::fromType<Currency>()) {
        d = v.value<Currency>().toDouble();
    } else {
        switch (v.typeId()) {
        case QMetaType::Bool: return v.toBool() ? -1 : 0;
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::UInt:
        case QMetaType::ULongLong:
            return v.toLongLong();
        case QMetaType::Double:
        case QMetaType::Float:
            d = v.toDouble();
            break;
        default:
            d = v.toString().trimmed().toDouble(&ok);
            if (!ok) {
                const qint64 w = v.toString().trimmed().toLongLong(&ok);
                if (ok)
                    return w;
                throw typeMismatch(c, v);
            }
        }
    }
    if (!std::isfinite(d) || std::fabs(d) > 9.2e18)
        throw DbError(ErrorNumber::Overflow, QStringLiteral("オーバーフローしました。(フィールド '%1')").arg(c.name));
    return qint64(Rounding::nearest(d));
}

// A whole number within a Long or Integer column's range, else the overflow error.
static qint64 inRange(const ColumnInfo &c, qint64 w)
{
    const qint64 lo = c.type == FieldType::Long ? std::numeric_limits<qint32>::min() : std::numeric_limits<qint16>::min();
    const qint64 hi = c.type == FieldType::Long ? std::numeric_limits<qint32>::max() : std::numeric_limits<qint16>::max();
    if (w < lo || w > hi)
        throw DbError(ErrorNumber::Overflow, QStringLiteral("オーバーフローしました。(フィールド '%1' に %2)").arg(c.name).arg(w));
    return w;
}

QVariant Connection::toStorage(const ColumnInfo &c, const QVariant &v)
{
    if (!v.isValid() || v.isNull())
        return QVariant();
    switch (c.type) {
    case FieldType::Long:
    case FieldType::Integer:
        return QVariant(inRange(c, toWhole(c, v)));
    case FieldType::Currency: {
        bool ok = false;
        const Currency cur = Currency::fromVariant(v, &ok);
        if (!ok)
            throw typeMismatch(c, v);
        if (cur.raw() % Currency::Scale == 0)
            return QVariant(qint64(cur.raw() / Currency::Scale));
        return QVariant(cur.toDouble());
    }
    case FieldType::Boolean:
        if (v.typeId() == QMetaType::QString) {
            const QString s = v.toString().trimmed();
            if (s.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
                return QVariant(qint64(1));
            if (s.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
                return QVariant(qint64(0));
        }
        return QVariant(qint64(toWhole(c, v) != 0 ? 1 : 0));
    case FieldType::Date: {
        if (v.typeId() == QMetaType::QDate) {
            if (!v.toDate().isValid())
                throw typeMismatch(c, v);
            return isoDate(v.toDate());
        }
        if (v.typeId() == QMetaType::QDateTime) {
            const QDateTime dt = v.toDateTime();
            if (!dt.isValid())
                throw typeMismatch(c, v);
            return dateTimeText(dt);
        }
        const QString s = v.toString().trimmed();
        const QDateTime withTime = QDateTime::fromString(s, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        if (withTime.isValid())
            return withTime.time() == QTime(0, 0) ? withTime.date().toString(Qt::ISODate) : s;
        const QDate d = DateUtil::parseDate(s);
        if (!d.isValid())
            throw typeMismatch(c, v);
        return d.toString(Qt::ISODate);
    }
    case FieldType::Text: {
        const QString s = v.toString();
        if (s.size() > c.size)
            throw DbError(ErrorNumber::FieldTooSmall,
                          QStringLiteral("フィールド '%1' が小さすぎるため、追加しようとしたデータの量を受け付けられません。").arg(c.name));
        if (s.isEmpty() && !c.emptyAllowed)
            throw DbError(ErrorNumber::ZeroLengthText, QStringLiteral("フィールド '%1' には長さ 0 の文字列を指定できません。").arg(c.name));
        return s;
    }
    case FieldType::Other:
        break;
    }
    return v;
}

// A currency column holds a whole amount as an integer, else the nearest double.
static void bindStoredCurrency(sqlite3_stmt *s, int index, const Currency &c)
{
    if (c.raw() % Currency::Scale == 0)
        sqlite3_bind_int64(s, index, c.raw() / Currency::Scale);
    else
        sqlite3_bind_double(s, index, c.toDouble());
}

void Connection::bind(sqlite3_stmt *s, int index, const QVariant &v)
{
    if (!v.isValid() || v.isNull()) {
        sqlite3_bind_null(s, index);
        return;
    }
    switch (v.typeId()) {
    case QMetaType::LongLong:
    case QMetaType::Int:
    case QMetaType::Bool:
    case QMetaType::Short:
    case QMetaType::UInt:
    case QMetaType::UShort:
        sqlite3_bind_int64(s, index, v.toLongLong());
        return;
    case QMetaType::Double:
    case QMetaType::Float:
        sqlite3_bind_double(s, index, v.toDouble());
        return;
    case QMetaType::QDate:
    case QMetaType::QDateTime: {
        const bool valid = v.typeId() == QMetaType::QDate ? v.toDate().isValid() : v.toDateTime().isValid();
        if (!valid)
            throw DbError(ErrorNumber::TypeMismatch, QStringLiteral("データ型が一致しません。(無効な日付)"));
        const QByteArray text = (v.typeId() == QMetaType::QDate ? isoDate(v.toDate()) : dateTimeText(v.toDateTime())).toLatin1();
        sqlite3_bind_text(s, index, text.constData(), int(text.size()), SQLITE_TRANSIENT);
        return;
    }
    default:
        if (v.metaType() == QMetaType::fromType<Currency>()) {
            bindStoredCurrency(s, index, v.value<Currency>());
            return;
        }
        const QByteArray b = v.toString().toUtf8();
        sqlite3_bind_text(s, index, b.constData(), int(b.size()), SQLITE_TRANSIENT);
    }
}

void Connection::bindWhole(sqlite3_stmt *s, int index, const ColumnInfo &c, qint64 value)
{
    if (c.type == FieldType::Long || c.type == FieldType::Integer)
        sqlite3_bind_int64(s, index, inRange(c, value));
    else
        bind(s, index, toStorage(c, QVariant(value)));
}

void Connection::bindDate(sqlite3_stmt *s, int index, const ColumnInfo &c, const QDate &value)
{
    if (c.type != FieldType::Date || !value.isValid()) {
        bind(s, index, toStorage(c, QVariant(value)));
        return;
    }
    const QByteArray text = isoDate(value).toLatin1();
    sqlite3_bind_text(s, index, text.constData(), int(text.size()), SQLITE_TRANSIENT);
}

void Connection::bindCurrency(sqlite3_stmt *s, int index, const ColumnInfo &c, const Currency &value)
{
    if (c.type == FieldType::Currency)
        bindStoredCurrency(s, index, value);
    else
        bind(s, index, toStorage(c, QVariant::fromValue(value)));
}

static QVariant dateFromText(const char *text, int len)
{
    if (len == 10) {
        // The stored form "YYYY-MM-DD" read directly: a chart reads hundreds of dates per switch.
        const auto digits = [text](int from, int count) {
            int v = 0;
            for (int i = from; i < from + count; ++i) {
                if (text[i] < '0' || text[i] > '9')
                    return -1;
                v = v * 10 + (text[i] - '0');
            }
            return v;
        };
        if (text[4] == '-' && text[7] == '-') {
            const int y = digits(0, 4), m = digits(5, 2), day = digits(8, 2);
            if (y >= 0 && m >= 0 && day >= 0) {
                const QDate d(y, m, day);
                if (d.isValid())
                    return d;
                return QVariant();
            }
        }
        const QDate d = QDate::fromString(QString::fromLatin1(text, len), Qt::ISODate);
        if (d.isValid())
            return d;
    } else if (len == 19) {
        const QDateTime dt = QDateTime::fromString(QString::fromLatin1(text, len), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        if (dt.isValid())
            return dt;
    }
    return QVariant();
}

static bool looksLikeDate(const char *t, int len)
{
    if (len != 10 && len != 19)
        return false;
    return t[4] == '-' && t[7] == '-' && t[0] >= '0' && t[0] <= '9';
}

QVariant Connection::readColumn(sqlite3_stmt *s, int i, FieldType type)
{
    const int st = sqlite3_column_type(s, i);
    if (st == SQLITE_NULL)
        return QVariant();
    switch (type) {
    case FieldType::Long:
    case FieldType::Integer:
        if (st == SQLITE_INTEGER)
            return QVariant(qint64(sqlite3_column_int64(s, i)));
        if (st == SQLITE_FLOAT)
            return QVariant(qint64(Rounding::nearest(sqlite3_column_double(s, i))));
        break;
    case FieldType::Currency:
        if (st == SQLITE_INTEGER)
            return QVariant::fromValue(Currency::fromInt(sqlite3_column_int64(s, i)));
        if (st == SQLITE_FLOAT)
            return QVariant::fromValue(Currency::fromDouble(sqlite3_column_double(s, i)));
        break;
    case FieldType::Boolean:
        if (st == SQLITE_INTEGER)
            return QVariant(sqlite3_column_int64(s, i) != 0);
        break;
    case FieldType::Date:
        if (st == SQLITE_TEXT) {
            QVariant d = dateFromText(reinterpret_cast<const char *>(sqlite3_column_text(s, i)), sqlite3_column_bytes(s, i));
            if (d.isValid())
                return d;
        }
        break;
    default:
        break;
    }
    switch (st) {
    case SQLITE_INTEGER: return QVariant(qint64(sqlite3_column_int64(s, i)));
    case SQLITE_FLOAT: return QVariant(sqlite3_column_double(s, i));
    case SQLITE_TEXT: {
        const char *t = reinterpret_cast<const char *>(sqlite3_column_text(s, i));
        const int len = sqlite3_column_bytes(s, i);
        if (type == FieldType::Other && looksLikeDate(t, len)) {
            QVariant d = dateFromText(t, len);
            if (d.isValid())
                return d;
        }
        return QString::fromUtf8(t, len);
    }
    default:
        return QByteArray(static_cast<const char *>(sqlite3_column_blob(s, i)), sqlite3_column_bytes(s, i));
    }
}

} // namespace db
