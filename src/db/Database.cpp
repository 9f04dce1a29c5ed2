#include "db/Database.h"

#include "db/Connection.h"
#include "db/LogFileVfs.h"
#include "db/Schema.h"
#include "db/SqlTranslator.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>
#if !defined(_WIN32)
#include <sys/stat.h>
#endif

#include <algorithm>
#include <exception>
#include <optional>
#include <vector>

namespace db {

namespace {

void leftFunction(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const QString s = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_value_text(argv[0])));
    const QByteArray r = s.left(qMax(0, sqlite3_value_int(argv[1]))).toUtf8();
    sqlite3_result_text(ctx, r.constData(), int(r.size()), SQLITE_TRANSIENT);
}

void rightFunction(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const QString s = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_value_text(argv[0])));
    const QByteArray r = s.right(qMax(0, sqlite3_value_int(argv[1]))).toUtf8();
    sqlite3_result_text(ctx, r.constData(), int(r.size()), SQLITE_TRANSIENT);
}

void midFunction(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const QString s = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_value_text(argv[0])));
    const int start = qMax(1, sqlite3_value_int(argv[1]));
    const QByteArray r = (argc > 2 ? s.mid(start - 1, qMax(0, sqlite3_value_int(argv[2]))) : s.mid(start - 1)).toUtf8();
    sqlite3_result_text(ctx, r.constData(), int(r.size()), SQLITE_TRANSIENT);
}

void lenFunction(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    sqlite3_result_int64(ctx, QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_value_text(argv[0]))).size());
}

// The text of a value bound inside a LIKE pattern, with SQLite's wildcards and the escape character
// escaped: the value matches as it stands.
void likeLiteralFunction(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const char *text = reinterpret_cast<const char *>(sqlite3_value_text(argv[0]));
    const int size = sqlite3_value_bytes(argv[0]);
    QByteArray escaped;
    escaped.reserve(qsizetype(size) * 2);
    for (int i = 0; i < size; ++i) {
        if (text[i] == '%' || text[i] == '_' || text[i] == '\\')
            escaped += '\\';
        escaped += text[i];
    }
    sqlite3_result_text(ctx, escaped.constData(), int(escaped.size()), SQLITE_TRANSIENT);
}

void registerFunctions(sqlite3 *db)
{
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    sqlite3_create_function_v2(db, "jet_left", 2, flags, nullptr, leftFunction, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "jet_right", 2, flags, nullptr, rightFunction, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "Mid", 2, flags, nullptr, midFunction, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "Mid", 3, flags, nullptr, midFunction, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "Len", 1, flags, nullptr, lenFunction, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "like_literal", 1, flags, nullptr, likeLiteralFunction, nullptr, nullptr, nullptr);
}

void execOrThrow(Connection &c, const char *sql)
{
    char *msg = nullptr;
    const int rc = sqlite3_exec(c.handle(), sql, nullptr, nullptr, &msg);
    sqlite3_free(msg);
    if (rc != SQLITE_OK)
        c.fail(rc, QString::fromUtf8(sql));
}

struct Identity
{
    quint32 applicationId = 0;
    int userVersion = 0;
    int pageSize = 0;
};

// The file's stamp, schema version and page size, read through the connection. Throws 3343 when the file is
// not an SQLite database at all.
Identity readIdentity(Connection &c)
{
    Identity identity;
    sqlite3_stmt *s = nullptr;
    int rc = sqlite3_prepare_v2(c.handle(), "SELECT application_id, user_version, page_size FROM pragma_application_id, pragma_user_version, pragma_page_size",
                                -1, &s, nullptr);
    if (rc == SQLITE_OK) {
        rc = sqlite3_step(s);
        if (rc == SQLITE_ROW) {
            identity.applicationId = quint32(sqlite3_column_int64(s, 0));
            identity.userVersion = sqlite3_column_int(s, 1);
            identity.pageSize = sqlite3_column_int(s, 2);
            rc = SQLITE_OK;
        }
    }
    sqlite3_finalize(s);
    if (rc != SQLITE_OK)
        c.fail(rc, c.path());
    return identity;
}

// Opening a connection costs far more than a short query (schema parse, log files), so a closed
// Database leaves its connection here, checkpointed, and the next Database of the same file takes it
// back. The file's identity, size and time decide whether it is still the same file.
struct FileStamp
{
    bool valid = false;
    qint64 device = 0;
    qint64 inode = 0;
    qint64 size = 0;
    qint64 mtimeNs = 0;
    bool operator==(const FileStamp &o) const
    {
        return valid && o.valid && device == o.device && inode == o.inode && size == o.size && mtimeNs == o.mtimeNs;
    }
};

FileStamp stampOf(const QString &path)
{
    FileStamp f;
#if defined(_WIN32)
    const QFileInfo info(path);
    if (!info.exists())
        return f;
    f.valid = true;
    f.size = info.size();
    f.mtimeNs = info.lastModified().toMSecsSinceEpoch() * 1000000;
#else
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return f;
    f.valid = true;
    f.device = qint64(st.st_dev);
    f.inode = qint64(st.st_ino);
    f.size = qint64(st.st_size);
    f.mtimeNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
#endif
    return f;
}

struct Pooled
{
    QString path;
    std::shared_ptr<Connection> connection;
    FileStamp stamp;
    qint64 totalChanges = 0;
};

std::vector<Pooled> &pool()
{
    static std::vector<Pooled> p;
    return p;
}

std::shared_ptr<Connection> takePooled(const QString &path, qint64 *totalChanges)
{
    auto &p = pool();
    for (auto it = p.begin(); it != p.end(); ++it) {
        if (it->path != path)
            continue;
        Pooled entry = std::move(*it);
        p.erase(it);
        if (entry.stamp == stampOf(path)) {
            *totalChanges = entry.totalChanges;
            return entry.connection;
        }
        return nullptr; // the file changed underneath: open afresh
    }
    return nullptr;
}

} // namespace

void Database::closeAll()
{
    std::vector<Pooled> closing;
    closing.swap(pool());
    // Every connection is closed; the first failure is reported after the others closed.
    std::optional<DbError> failure;
    for (Pooled &entry : closing) {
        try {
            entry.connection->close();
        } catch (const DbError &e) {
            if (!failure)
                failure = e;
        }
    }
    if (failure)
        throw *failure;
}

bool Database::isOwnDatabase(const QString &path)
{
    // Read through SQLite, never through a descriptor of our own: closing any descriptor of a file
    // drops every lock this process holds on it, those of open connections included.
    if (!QFileInfo(path).isFile())
        return false;
    sqlite3 *h = nullptr;
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &h, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, logFileVfsName());
    Connection probe(path, h);
    if (rc != SQLITE_OK)
        return false;
    try {
        return readIdentity(probe).applicationId == ApplicationId;
    } catch (const DbError &) {
        return false;
    }
}

void Database::createEmpty(const QString &path)
{
    if (QFileInfo::exists(path))
        throw DbError(ErrorNumber::FileInUse, QStringLiteral("データベース '%1' は既に存在します。").arg(path));
    sqlite3 *h = nullptr;
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &h, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, logFileVfsName());
    auto conn = std::make_shared<Connection>(path, h);
    if (rc != SQLITE_OK)
        throw DbError(ErrorNumber::InvalidPath, QStringLiteral("データベース '%1' を作成できません。").arg(path));
    execOrThrow(*conn, QStringLiteral("PRAGMA page_size=%1").arg(FilePageSize).toUtf8().constData());
    execOrThrow(*conn, QStringLiteral("PRAGMA application_id=%1").arg(ApplicationId).toUtf8().constData());
    execOrThrow(*conn, "PRAGMA journal_mode=WAL");
}

namespace {

// Opens a connection on an existing file after checking through it that the file is a database of
// this program that this version can use, in the one journal mode every program uses.
std::shared_ptr<Connection> openConnection(const QString &path, int *userVersion)
{
    sqlite3 *h = nullptr;
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &h, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, logFileVfsName());
    auto conn = std::make_shared<Connection>(path, h);
    if (rc != SQLITE_OK)
        conn->fail(rc, path);
    // A writer that meets another waits this long, then reports the database as in use.
    sqlite3_busy_timeout(h, 5000);
    const Identity identity = readIdentity(*conn);
    if (identity.applicationId != ApplicationId)
        throw DbError(ErrorNumber::UnrecognizedFormat, QStringLiteral("データベースの形式 '%1' を認識できません。").arg(path));
    if (identity.userVersion > SchemaVersion)
        throw DbError(ErrorNumber::NewerSchema,
                      QStringLiteral("データベース '%1' はこのミラベルより新しい版で作られているため使用できません。").arg(path));
    if (sqlite3_db_readonly(h, "main") == 1 || !QFileInfo(path).isWritable())
        throw DbError(ErrorNumber::FileInUse, QStringLiteral("ファイル '%1' は既に使用されているか、読み取り専用です。").arg(path));
    // Write-ahead logging for every file, whatever mode a copy or an older version left it in:
    // readers never block the writer.
    execOrThrow(*conn, "PRAGMA journal_mode=WAL");
    // Checkpoints every 64 MB of log instead of every 1,000 pages: a batch that commits once per day
    // file would otherwise copy the same index pages back to the file over and over. A page cache of
    // 20 MB holds the index pages one day's rows touch (about 5,000 with 4,000 issues) and keeps
    // the import of any number of years within 40-odd MB; more was not faster.
    constexpr int CheckpointLogBytes = 64 * 1024 * 1024;
    const int checkpointPages = CheckpointLogBytes / std::max(identity.pageSize, 512);
    execOrThrow(*conn, QStringLiteral("PRAGMA synchronous=NORMAL; PRAGMA cache_size=-20000; PRAGMA temp_store=MEMORY; "
                                      "PRAGMA wal_autocheckpoint=%1")
                           .arg(checkpointPages)
                           .toUtf8()
                           .constData());
    registerFunctions(h);
    *userVersion = identity.userVersion;
    return conn;
}

// True when the name no longer leads to the file the connection has open: the file was replaced
// (a compaction or restore by another program) between opening and locking it.
bool hasMoved(Connection &c)
{
    int moved = 0;
    return sqlite3_file_control(c.handle(), "main", SQLITE_FCNTL_HAS_MOVED, &moved) == SQLITE_OK && moved != 0;
}

bool hasTables(Connection &c)
{
    sqlite3_stmt *s = nullptr;
    bool any = false;
    if (sqlite3_prepare_v2(c.handle(), "SELECT 1 FROM sqlite_master WHERE type='table' LIMIT 1", -1, &s, nullptr) == SQLITE_OK)
        any = sqlite3_step(s) == SQLITE_ROW;
    sqlite3_finalize(s);
    return any;
}

} // namespace

Database::Database(const QString &path)
    : m_path(path)
{
    m_conn = takePooled(path, &m_changesAtOpen);
    if (m_conn)
        return;
    if (!QFileInfo::exists(path))
        throw DbError(ErrorNumber::FileNotFound, QStringLiteral("ファイル '%1' が見つかりません。").arg(path));
    int userVersion = 0;
    for (int attempt = 1;; ++attempt) {
        m_conn = openConnection(path, &userVersion);
        if (attempt == 3 || !hasMoved(*m_conn))
            break;
        m_conn.reset();
    }
    // A file being created has no tables yet; its creator brings it up to date.
    if (userVersion < SchemaVersion && hasTables(*m_conn))
        UpgradeSchema(*this);
    m_changesAtOpen = sqlite3_total_changes64(m_conn->handle());
}

Database::~Database()
{
    try {
        close();
    } catch (const DbError &) {
        // Only reached when close() was not called on the way out: an operation that ends by an
        // exception reports that exception, and its committed rows are in the log, which the next
        // open checkpoints.
    }
}

// Writes the log back into the file and empties it.
static void writeBackLog(Connection &c)
{
    const int rc = sqlite3_wal_checkpoint_v2(c.handle(), nullptr, SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr);
    // A reader in another program keeps the log from being emptied; the rows are committed all the
    // same, and the last connection to close writes them back.
    if (rc != SQLITE_OK && rc != SQLITE_BUSY)
        c.fail(rc, QStringLiteral("checkpoint"));
}

void Database::checkpoint()
{
    if (!m_conn)
        throw DbError(ErrorNumber::Other, QStringLiteral("データベースが閉じられています。"));
    writeBackLog(*m_conn);
}

void Database::close()
{
    if (!m_conn)
        return;
    std::shared_ptr<Connection> conn = std::move(m_conn);
    // Keep the connection for the next operation only when nothing else holds it.
    if (conn.use_count() != 1 || conn->batchDepth != 0 || !sqlite3_get_autocommit(conn->handle()))
        return;
    sqlite3 *h = conn->handle();
    const qint64 changes = sqlite3_total_changes64(h);
    if (changes != m_changesAtOpen) // the file on disk is complete whenever no operation runs
        writeBackLog(*conn);
    auto &p = pool();
    if (p.size() >= 4) {
        std::shared_ptr<Connection> oldest = std::move(p.front().connection);
        p.erase(p.begin());
        oldest->close();
    }
    p.push_back({m_path, std::move(conn), stampOf(m_path), changes});
}

bool Database::isOpen() const
{
    return bool(m_conn);
}
sqlite3 *Database::handle() const
{
    return m_conn ? m_conn->handle() : nullptr;
}

static Connection &open(const std::shared_ptr<Connection> &c)
{
    if (!c)
        throw DbError(ErrorNumber::Other, QStringLiteral("データベースが閉じられています。"));
    return *c;
}

int Database::execute(const QString &legacySql, const Params &params)
{
    Connection &c = open(m_conn);
    const std::shared_ptr<const TranslatedQuery> q = translateCached(legacySql);
    sqlite3_stmt *s = c.acquireBound(q->sql, params, legacySql);
    int rc;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE) {
        const DbError e = c.errorFor(rc, legacySql);
        c.release(q->sql, s);
        throw e;
    }
    c.release(q->sql, s);
    return sqlite3_changes(c.handle());
}

void Database::executeRaw(const QString &sqliteSql)
{
    execOrThrow(open(m_conn), sqliteSql.toUtf8().constData());
}

QVariant Database::scalar(const QString &legacySelect, const Params &params)
{
    Recordset rs = openRecordset(legacySelect, params);
    if (rs.eof())
        return QVariant();
    return rs.value(0);
}

QVariant Database::scalarRaw(const QString &sqliteSql)
{
    Connection &c = open(m_conn);
    sqlite3_stmt *s = nullptr;
    const QByteArray utf8 = sqliteSql.toUtf8();
    int rc = sqlite3_prepare_v2(c.handle(), utf8.constData(), int(utf8.size()), &s, nullptr);
    QVariant value;
    if (rc == SQLITE_OK && (rc = sqlite3_step(s)) == SQLITE_ROW) {
        value = Connection::readColumn(s, 0, FieldType::Other);
        rc = SQLITE_DONE;
    }
    sqlite3_finalize(s);
    if (rc != SQLITE_DONE)
        c.fail(rc, sqliteSql);
    return value;
}

static qint64 monotonicMs()
{
    static QElapsedTimer clock;
    if (!clock.isValid())
        clock.start();
    return clock.elapsed();
}

WriteBatch::WriteBatch(Database &database)
    : m_conn(database.connection())
{
    Connection &c = open(m_conn);
    if (c.batchDepth == 0 && sqlite3_get_autocommit(c.handle())) {
        execOrThrow(c, "BEGIN IMMEDIATE");
        m_outer = true;
        m_beganMs = monotonicMs();
    }
    ++c.batchDepth;
}

// Commits the open transaction of c; when that fails, rolls back what is left of it and gives the error.
static std::optional<DbError> commitTransaction(Connection &c)
{
    sqlite3 *h = c.handle();
    if (sqlite3_get_autocommit(h))
        return std::nullopt;
    const int rc = sqlite3_exec(h, "COMMIT", nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK)
        return std::nullopt;
    DbError error = c.errorFor(rc, QStringLiteral("COMMIT"));
    if (!sqlite3_get_autocommit(h))
        sqlite3_exec(h, "ROLLBACK", nullptr, nullptr, nullptr);
    return error;
}

WriteBatch::~WriteBatch() noexcept(false)
{
    if (!m_conn)
        return; // finished
    --m_conn->batchDepth;
    if (!m_outer)
        return;
    const std::optional<DbError> error = commitTransaction(*m_conn);
    // During an exception that exception is the one reported; otherwise the batch was left
    // without finish() (a return inside the loop) and its failed commit must not pass unseen.
    if (error && std::uncaught_exceptions() == m_uncaught)
        throw *error;
}

void WriteBatch::finish()
{
    if (!m_conn)
        return;
    // The batch lets go of the connection, so that Database::close() can write the log back.
    const std::shared_ptr<Connection> conn = std::move(m_conn);
    --conn->batchDepth;
    if (!m_outer)
        return;
    if (const std::optional<DbError> error = commitTransaction(*conn))
        throw *error;
}

bool WriteBatch::commit()
{
    if (!m_outer || !m_conn || monotonicMs() - m_beganMs < GroupMs)
        return false;
    commitNow();
    return true;
}

void WriteBatch::commitNow()
{
    endTransaction("COMMIT");
}

void WriteBatch::rollback()
{
    endTransaction("ROLLBACK");
}

void WriteBatch::endTransaction(const char *ending)
{
    if (!m_outer || !m_conn)
        return;
    if (!sqlite3_get_autocommit(m_conn->handle()))
        execOrThrow(*m_conn, ending);
    execOrThrow(*m_conn, "BEGIN IMMEDIATE");
    m_beganMs = monotonicMs();
}

Transaction::Transaction(Database &database)
    : m_conn(database.connection())
{
    Connection &c = open(m_conn);
    m_nested = !sqlite3_get_autocommit(c.handle());
    execOrThrow(c, m_nested ? "SAVEPOINT whole_unit" : "BEGIN IMMEDIATE");
}

Transaction::~Transaction()
{
    if (!m_conn)
        return;
    sqlite3 *h = m_conn->handle();
    if (m_nested)
        sqlite3_exec(h, "ROLLBACK TO whole_unit; RELEASE whole_unit", nullptr, nullptr, nullptr);
    else if (!sqlite3_get_autocommit(h))
        sqlite3_exec(h, "ROLLBACK", nullptr, nullptr, nullptr);
}

void Transaction::commit()
{
    if (!m_conn)
        return;
    const std::shared_ptr<Connection> conn = std::move(m_conn);
    if (m_nested) {
        execOrThrow(*conn, "RELEASE whole_unit");
        return;
    }
    if (const std::optional<DbError> error = commitTransaction(*conn))
        throw *error;
}

} // namespace db
