#include "db/DatabaseFile.h"

#include "db/Connection.h"
#include "db/Database.h"
#include "db/LogFileVfs.h"
#include "db/Schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <sqlite3.h>

#include <filesystem>
#include <system_error>

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace db {

namespace {

QString sqlText(const QString &text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

// Runs a statement and hands each row to onRow; the SQLite result code of the end.
int eachRow(sqlite3 *h, const QString &sql, const std::function<void(sqlite3_stmt *)> &onRow)
{
    sqlite3_stmt *s = nullptr;
    const QByteArray utf8 = sql.toUtf8();
    int rc = sqlite3_prepare_v2(h, utf8.constData(), int(utf8.size()), &s, nullptr);
    while (rc == SQLITE_OK && (rc = sqlite3_step(s)) == SQLITE_ROW) {
        onRow(s);
        rc = SQLITE_OK;
    }
    sqlite3_finalize(s);
    return rc == SQLITE_DONE ? SQLITE_OK : rc;
}

QString textColumn(sqlite3_stmt *s, int column)
{
    return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s, column)));
}

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// The file's own engine check; the first problem it names, or empty.
QString engineProblem(sqlite3 *h, CheckDepth depth)
{
    QString first;
    const int rc = eachRow(h, depth == CheckDepth::Full ? QStringLiteral("PRAGMA integrity_check(1)") : QStringLiteral("PRAGMA quick_check(1)"),
                           [&](sqlite3_stmt *s) {
                               if (first.isEmpty())
                                   first = textColumn(s, 0);
                           });
    if (rc != SQLITE_OK)
        return QString::fromUtf8(sqlite3_errstr(rc));
    return first == QLatin1String("ok") ? QString() : first;
}

// The first table or column the program needs that the file lacks, as a message part.
QString missingLayout(sqlite3 *h, int version)
{
    for (const TableColumns &required : requiredTables(version)) {
        QStringList present;
        const int rc = eachRow(h, QStringLiteral("SELECT name FROM pragma_table_info(%1)").arg(sqlText(required.table)),
                               [&](sqlite3_stmt *s) { present.append(textColumn(s, 0).toLower()); });
        if (rc != SQLITE_OK || present.isEmpty())
            return QStringLiteral("テーブル %1 がありません").arg(required.table);
        for (const QString &column : required.columns) {
            if (!present.contains(column.toLower()))
                return QStringLiteral("テーブル %1 に列 %2 がありません").arg(required.table, column);
        }
    }
    return QString();
}

bool syncFolderOf(const QString &path)
{
#if defined(_WIN32)
    Q_UNUSED(path);
    return true;
#else
    const int fd = ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    return ::close(fd) == 0 && ok;
#endif
}

} // namespace

void RenameOver(const QString &from, const QString &to)
{
    std::error_code error;
    std::filesystem::rename(std::filesystem::path(from.toStdU16String()), std::filesystem::path(to.toStdU16String()), error);
    if (error)
        throw DbError(ErrorNumber::DiskError, QStringLiteral("%1 を %2 にできません。(%3)").arg(shown(from), shown(to), QString::fromLocal8Bit(error.message().c_str())));
    syncFolderOf(to);
}

namespace {

bool hardLink(const QString &from, const QString &to)
{
#if defined(_WIN32)
    Q_UNUSED(from);
    Q_UNUSED(to);
    return false;
#else
    return ::link(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
#endif
}

// A plain copy of a file no connection of this process holds, every byte checked, then synced.
void copyWhole(const QString &from, const QString &to)
{
    QFile source(from);
    QFile target(to);
    const auto failed = [&](const QString &path) {
        target.close();
        QFile::remove(to);
        return DbError(ErrorNumber::DiskError, QStringLiteral("%1 に書き込めません。").arg(shown(path)));
    };
    if (!source.open(QIODevice::ReadOnly))
        throw failed(from);
    if (!target.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw failed(to);
    QByteArray chunk;
    while (!(chunk = source.read(1 << 20)).isEmpty()) {
        if (target.write(chunk) != chunk.size())
            throw failed(to);
    }
    if (source.error() != QFileDevice::NoError)
        throw failed(from);
    if (!target.flush())
        throw failed(to);
    target.close();
    if (target.error() != QFileDevice::NoError || !SyncFile(to))
        throw failed(to);
}

} // namespace

RowCounts CountRows(sqlite3 *handle)
{
    QStringList tables;
    eachRow(handle, QStringLiteral("SELECT name FROM sqlite_master WHERE type='table' AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\'"),
            [&](sqlite3_stmt *s) { tables.append(textColumn(s, 0)); });
    RowCounts counts;
    for (const QString &table : std::as_const(tables)) {
        qint64 n = -1;
        QString name = table;
        name.replace(QLatin1Char('"'), QStringLiteral("\"\""));
        eachRow(handle, QStringLiteral("SELECT count(*) FROM \"%1\"").arg(name), [&](sqlite3_stmt *s) { n = sqlite3_column_int64(s, 0); });
        counts[table.toLower()] = n;
    }
    return counts;
}

FileCheck CheckDatabaseFile(const QString &path, CheckDepth depth)
{
    FileCheck check;
    const QFileInfo info(path);
    if (!info.isFile()) {
        check.refusal = QStringLiteral("%1 が見つかりません。").arg(shown(path));
        return check;
    }
    const QString notOurs = QStringLiteral("%1 はミラベルのデータベースではないか、壊れています。").arg(shown(path));
    if (info.size() == 0) {
        check.refusal = notOurs;
        return check;
    }
    // immutable: the file is read as it stands, without locks and without making -wal or -shm
    // beside it, so a backup on read-only media is read like any other.
    const QByteArray uri =
        (QUrl::fromLocalFile(info.absoluteFilePath()).toString(QUrl::FullyEncoded) + QStringLiteral("?immutable=1")).toUtf8();
    sqlite3 *h = nullptr;
    int rc = sqlite3_open_v2(uri.constData(), &h, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX, logFileVfsName());
    const std::unique_ptr<sqlite3, int (*)(sqlite3 *)> closer(h, &sqlite3_close_v2);
    if (rc != SQLITE_OK) {
        check.refusal = QStringLiteral("%1 を開けません。(%2)").arg(shown(path), QString::fromUtf8(sqlite3_errstr(rc)));
        return check;
    }
    quint32 applicationId = 0;
    rc = eachRow(h, QStringLiteral("SELECT application_id, user_version FROM pragma_application_id, pragma_user_version"),
                 [&](sqlite3_stmt *s) {
                     applicationId = quint32(sqlite3_column_int64(s, 0));
                     check.userVersion = sqlite3_column_int(s, 1);
                 });
    if (rc != SQLITE_OK || applicationId != ApplicationId) {
        check.refusal = notOurs;
        return check;
    }
    if (check.userVersion > SchemaVersion) {
        check.refusal = QStringLiteral("%1 はこのミラベルより新しい版で作られています。").arg(shown(path));
        return check;
    }
    if (const QString problem = depth == CheckDepth::Layout ? QString() : engineProblem(h, depth); !problem.isEmpty()) {
        check.refusal = QStringLiteral("%1 は壊れています。(%2)").arg(shown(path), problem);
        return check;
    }
    if (const QString missing = missingLayout(h, check.userVersion); !missing.isEmpty()) {
        check.refusal = QStringLiteral("%1 はミラベルのデータベースとして不完全です。(%2)").arg(shown(path), missing);
        return check;
    }
    eachRow(h, QStringLiteral("PRAGMA page_count"), [&](sqlite3_stmt *s) { check.pageCount = sqlite3_column_int64(s, 0); });
    if (depth != CheckDepth::Layout)
        check.rows = CountRows(h);
    return check;
}

ExclusiveHold::ExclusiveHold(const QString &path)
{
    Database::closeAll(); // this program's own idle connections count as users too
    sqlite3 *h = nullptr;
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &h, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, logFileVfsName());
    m_conn = std::make_shared<Connection>(path, h);
    if (rc != SQLITE_OK)
        m_conn->fail(rc, path);
    sqlite3_busy_timeout(h, 5000);
    quint32 applicationId = 0;
    const int read = eachRow(h, QStringLiteral("PRAGMA application_id"),
                             [&](sqlite3_stmt *s) { applicationId = quint32(sqlite3_column_int64(s, 0)); });
    if (read != SQLITE_OK && read != SQLITE_BUSY && read != SQLITE_LOCKED)
        m_conn->fail(read, path);
    if (read == SQLITE_OK && applicationId != ApplicationId)
        throw DbError(ErrorNumber::UnrecognizedFormat, QStringLiteral("データベースの形式 '%1' を認識できません。").arg(path));
    const DbError inUse(ErrorNumber::LockedRecord,
                        QStringLiteral("データベース %1 は他のプログラムが使用中です。そのプログラムを終了してからやり直して下さい。").arg(shown(path)));
    // Leaving write-ahead logging needs every other connection closed: it writes the log back into
    // the file and removes it. Exclusive locking then keeps the lock taken by the first write.
    QString mode;
    int step = eachRow(h, QStringLiteral("PRAGMA locking_mode=EXCLUSIVE"), [](sqlite3_stmt *) {});
    if (step == SQLITE_OK)
        step = eachRow(h, QStringLiteral("PRAGMA journal_mode=DELETE"), [&](sqlite3_stmt *s) { mode = textColumn(s, 0); });
    if (read != SQLITE_OK || step == SQLITE_BUSY || step == SQLITE_LOCKED || (step == SQLITE_OK && mode.compare(QLatin1String("delete"), Qt::CaseInsensitive) != 0))
        throw inUse;
    if (step != SQLITE_OK)
        m_conn->fail(step, path);
    step = eachRow(h, QStringLiteral("BEGIN EXCLUSIVE"), [](sqlite3_stmt *) {});
    if (step == SQLITE_OK)
        step = eachRow(h, QStringLiteral("COMMIT"), [](sqlite3_stmt *) {});
    if (step == SQLITE_BUSY || step == SQLITE_LOCKED)
        throw inUse;
    if (step != SQLITE_OK)
        m_conn->fail(step, path);
    QFile::remove(path + QStringLiteral("-shm")); // the log's index, which no one else has open now
}

ExclusiveHold::~ExclusiveHold()
{
    try {
        m_conn->close();
    } catch (const DbError &) {
        // The file was not written through this connection.
    }
}

sqlite3 *ExclusiveHold::handle() const
{
    return m_conn->handle();
}

void ExclusiveHold::execute(const QString &sqliteSql)
{
    const int rc = eachRow(m_conn->handle(), sqliteSql, [](sqlite3_stmt *) {});
    if (rc != SQLITE_OK)
        m_conn->fail(rc, sqliteSql);
}

bool PutReplacement(const QString &replacement, const QString &dbPath, const QString &keepAs, ExclusiveHold *hold,
                    const StepSeam &seam)
{
    ForgetSharedName(dbPath, keepAs);
    if (QFileInfo::exists(dbPath)) {
        // The replaced database first takes its second name as a whole file, beside the first.
        const QString keeping = keepAs + QStringLiteral(".part");
        RemoveDatabaseFiles(keeping);
        if (!hardLink(dbPath, keeping)) {
            if (hold)
                hold->execute(QStringLiteral("VACUUM INTO %1").arg(sqlText(keeping)));
            else
                copyWhole(dbPath, keeping);
            if (!SyncFile(keeping))
                throw DbError(ErrorNumber::DiskError, QStringLiteral("%1 に書き込めません。").arg(shown(keeping)));
        }
        for (const char *companion : {"-wal", "-shm", "-journal"})
            QFile::remove(keepAs + QLatin1String(companion)); // never replayed into another file
        RenameOver(keeping, keepAs);
        QFile::remove(keeping); // still there when keepAs already was the same file
        if (seam && !seam(ReplaceStep::PreviousKept))
            return false;
    }
    if (!hold) {
        // Companions of a broken or missing file belong to no database that is kept.
        for (const char *companion : {"-wal", "-shm", "-journal"})
            QFile::remove(dbPath + QLatin1String(companion));
    }
    RenameOver(replacement, dbPath);
    return !seam || seam(ReplaceStep::Swapped);
}

void PutInPlace(const QString &from, const QString &to)
{
    if (QFileInfo::exists(to))
        throw DbError(ErrorNumber::FileInUse, QStringLiteral("%1 は既に存在します。").arg(shown(to)));
    RenameOver(from, to);
}

bool ForgetSharedName(const QString &dbPath, const QString &other)
{
#if defined(_WIN32)
    Q_UNUSED(dbPath);
    Q_UNUSED(other);
    return false;
#else
    struct stat a, b;
    if (::stat(QFile::encodeName(dbPath).constData(), &a) != 0 || ::stat(QFile::encodeName(other).constData(), &b) != 0)
        return false;
    if (a.st_dev != b.st_dev || a.st_ino != b.st_ino)
        return false;
    return QFile::remove(other);
#endif
}

void RemoveDatabaseFiles(const QString &path)
{
    for (const char *suffix : {"", "-wal", "-shm", "-journal"})
        QFile::remove(path + QLatin1String(suffix));
}

bool SyncFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return false;
#if defined(_WIN32)
    return file.flush();
#else
    return ::fsync(file.handle()) == 0;
#endif
}

} // namespace db
