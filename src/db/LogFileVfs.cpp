#include "db/LogFileVfs.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <mutex>
#include <new>
#include <vector>

namespace db {

namespace {

constexpr int GatherBytes = 64 * 1024; // the system layer takes at most 128 KiB - 1 in one write
constexpr int ReadAheadBytes = 64 * 1024;
constexpr int ReadsInOrderBeforeReadAhead = 4;
constexpr int FrameHeaderBytes = 24;
constexpr int LogHeaderBytes = 32;

sqlite3_vfs *g_system = nullptr;
sqlite3_vfs g_layer;

// True for a frame header whose "database size after commit" field is set: the last frame of a
// transaction.
bool isCommitFrameHeader(const void *data, int bytes)
{
    if (bytes != FrameHeaderBytes)
        return false;
    const auto *b = static_cast<const unsigned char *>(data);
    return (b[4] | b[5] | b[6] | b[7]) != 0;
}

// A write-ahead log opened through the layer: the system's file, and the frames gathered for it.
struct LogFile
{
    sqlite3_file base; // must come first: SQLite sees this
    sqlite3_file *system; // the system layer's file, stored after this struct
    std::vector<char> gathered;
    sqlite3_int64 gatheredAt = 0;
    // The end of the log as this file has written it. A write below it rewrites a frame already
    // written (a checksum or a page rewritten within a transaction) and goes straight to the file.
    sqlite3_int64 writtenEnd = 0;
    // Where the page of a commit frame whose header was just gathered will be written.
    sqlite3_int64 commitPageAt = -1;
    // The database file of the same connection, whose checkpoint hints turn read-ahead on and off.
    sqlite3_file *database = nullptr;
    // Read-ahead while a checkpoint copies frames into the database: it reads them in the order
    // they were written, and nothing rewrites a frame it copies until it has finished.
    bool copying = false;
    sqlite3_int64 copyLogSize = 0;
    sqlite3_int64 lastReadEnd = -1;
    int readsInOrder = 0; // frames read one after the other, up to this one
    std::vector<char> ahead;
    sqlite3_int64 aheadAt = 0;

    void startCopy()
    {
        copying = system->pMethods->xFileSize(system, &copyLogSize) == SQLITE_OK;
        lastReadEnd = -1;
        readsInOrder = 0;
        ahead.clear();
    }

    void endCopy()
    {
        copying = false;
        ahead.clear();
    }

    int read(void *data, int bytes, sqlite3_int64 offset)
    {
        if (const int rc = flush(); rc != SQLITE_OK)
            return rc;
        if (!copying)
            return system->pMethods->xRead(system, data, bytes, offset);
        if (offset >= aheadAt && offset + bytes <= aheadAt + sqlite3_int64(ahead.size())) {
            std::memcpy(data, ahead.data() + (offset - aheadAt), size_t(bytes));
            lastReadEnd = offset + bytes;
            return SQLITE_OK;
        }
        // After a few frames asked for one after the other, the ones after them will be too. A
        // checkpoint of many transactions jumps between them, and reading ahead for two or three
        // frames would cost more than it saves.
        const bool next = lastReadEnd >= 0 && offset >= lastReadEnd && offset - lastReadEnd <= FrameHeaderBytes;
        readsInOrder = next ? readsInOrder + 1 : 0;
        lastReadEnd = offset + bytes;
        ahead.clear();
        const sqlite3_int64 span = std::min<sqlite3_int64>(ReadAheadBytes, copyLogSize - offset);
        if (readsInOrder >= ReadsInOrderBeforeReadAhead && span > bytes) {
            try {
                ahead.resize(size_t(span));
            } catch (const std::bad_alloc &) {
                return system->pMethods->xRead(system, data, bytes, offset);
            }
            if (system->pMethods->xRead(system, ahead.data(), int(span), offset) == SQLITE_OK) {
                aheadAt = offset;
                std::memcpy(data, ahead.data(), size_t(bytes));
                return SQLITE_OK;
            }
            ahead.clear(); // the log shorter than it was, or a read error: read as asked
        }
        return system->pMethods->xRead(system, data, bytes, offset);
    }

    int flush()
    {
        if (gathered.empty())
            return SQLITE_OK;
        const int rc = system->pMethods->xWrite(system, gathered.data(), int(gathered.size()), gatheredAt);
        gathered.clear();
        return rc;
    }

    int write(const void *data, int bytes, sqlite3_int64 offset)
    {
        const bool completesCommit = offset == commitPageAt;
        commitPageAt = -1;
        if (offset == 0) // the header of a log started again
            writtenEnd = 0;
        if (offset < writtenEnd || bytes > GatherBytes) {
            int rc = flush();
            if (rc == SQLITE_OK)
                rc = system->pMethods->xWrite(system, data, bytes, offset);
            writtenEnd = std::max(writtenEnd, offset + bytes);
            return rc;
        }
        const bool contiguous = !gathered.empty() && offset == gatheredAt + sqlite3_int64(gathered.size());
        if (!gathered.empty() && (!contiguous || gathered.size() + size_t(bytes) > size_t(GatherBytes))) {
            if (const int rc = flush(); rc != SQLITE_OK)
                return rc;
        }
        if (gathered.empty())
            gatheredAt = offset;
        const auto *p = static_cast<const char *>(data);
        gathered.insert(gathered.end(), p, p + bytes);
        writtenEnd = offset + bytes;
        if (completesCommit) // readers may use the transaction as soon as its commit is written
            return flush();
        if (isCommitFrameHeader(data, bytes))
            commitPageAt = offset + bytes;
        return SQLITE_OK;
    }

    // Empties the log by invalidating its header, keeping its blocks for the next transaction.
    int empty()
    {
        if (const int rc = flush(); rc != SQLITE_OK)
            return rc;
        writtenEnd = 0;
        commitPageAt = -1;
        sqlite3_int64 size = 0;
        if (const int rc = system->pMethods->xFileSize(system, &size); rc != SQLITE_OK)
            return rc;
        if (size <= LogHeaderBytes || size > MaxKeptLogBytes)
            return system->pMethods->xTruncate(system, 0);
        static const char zeros[LogHeaderBytes] = {};
        return system->pMethods->xWrite(system, zeros, LogHeaderBytes, 0);
    }
};

LogFile *logFile(sqlite3_file *f)
{
    return reinterpret_cast<LogFile *>(f);
}

void linkDatabase(sqlite3_file *database, LogFile *log);

int logClose(sqlite3_file *f)
{
    LogFile *l = logFile(f);
    if (l->database)
        linkDatabase(l->database, nullptr);
    const int flushed = l->flush();
    const int rc = l->system->pMethods->xClose(l->system);
    l->~LogFile();
    return flushed != SQLITE_OK ? flushed : rc;
}

// Calls the system layer after writing out what was gathered: whatever reads, syncs, measures or
// unlocks the log sees every write made before it.
template <typename Call>
int afterFlush(sqlite3_file *f, Call call)
{
    LogFile *l = logFile(f);
    if (const int rc = l->flush(); rc != SQLITE_OK)
        return rc;
    return call(l->system);
}

int logRead(sqlite3_file *f, void *data, int bytes, sqlite3_int64 offset)
{
    return logFile(f)->read(data, bytes, offset);
}

int logWrite(sqlite3_file *f, const void *data, int bytes, sqlite3_int64 offset)
{
    return logFile(f)->write(data, bytes, offset);
}

int logTruncate(sqlite3_file *f, sqlite3_int64 size)
{
    if (size == 0)
        return logFile(f)->empty();
    logFile(f)->writtenEnd = std::min(logFile(f)->writtenEnd, size);
    return afterFlush(f, [&](sqlite3_file *s) { return s->pMethods->xTruncate(s, size); });
}

int logSync(sqlite3_file *f, int flags)
{
    return afterFlush(f, [&](sqlite3_file *s) { return s->pMethods->xSync(s, flags); });
}

int logFileSize(sqlite3_file *f, sqlite3_int64 *size)
{
    return afterFlush(f, [&](sqlite3_file *s) { return s->pMethods->xFileSize(s, size); });
}

int logLock(sqlite3_file *f, int level)
{
    return logFile(f)->system->pMethods->xLock(logFile(f)->system, level);
}

int logUnlock(sqlite3_file *f, int level)
{
    return afterFlush(f, [&](sqlite3_file *s) { return s->pMethods->xUnlock(s, level); });
}

int logCheckReservedLock(sqlite3_file *f, int *out)
{
    return logFile(f)->system->pMethods->xCheckReservedLock(logFile(f)->system, out);
}

int logFileControl(sqlite3_file *f, int op, void *arg)
{
    return afterFlush(f, [&](sqlite3_file *s) { return s->pMethods->xFileControl(s, op, arg); });
}

int logSectorSize(sqlite3_file *f)
{
    return logFile(f)->system->pMethods->xSectorSize(logFile(f)->system);
}

int logDeviceCharacteristics(sqlite3_file *f)
{
    return logFile(f)->system->pMethods->xDeviceCharacteristics(logFile(f)->system);
}

// Version 1 of the methods: a log is never mapped into memory nor given shared memory (those calls
// go to the database file), so SQLite asks nothing more of it.
const sqlite3_io_methods g_logMethods = {
    .iVersion = 1,
    .xClose = logClose,
    .xRead = logRead,
    .xWrite = logWrite,
    .xTruncate = logTruncate,
    .xSync = logSync,
    .xFileSize = logFileSize,
    .xLock = logLock,
    .xUnlock = logUnlock,
    .xCheckReservedLock = logCheckReservedLock,
    .xFileControl = logFileControl,
    .xSectorSize = logSectorSize,
    .xDeviceCharacteristics = logDeviceCharacteristics,
    .xShmMap = nullptr,
    .xShmLock = nullptr,
    .xShmBarrier = nullptr,
    .xShmUnmap = nullptr,
    .xFetch = nullptr,
    .xUnfetch = nullptr,
};

constexpr size_t aligned(size_t bytes)
{
    return (bytes + alignof(std::max_align_t) - 1) / alignof(std::max_align_t) * alignof(std::max_align_t);
}

constexpr size_t systemFileOffset()
{
    return aligned(sizeof(LogFile));
}

// A database file is the system layer's own object with its own methods but one: its file control
// also tells the connection's log when a checkpoint starts and ends copying frames. The log it
// tells is kept after the system's object.
struct DatabaseFileTail
{
    LogFile *log = nullptr;
};

sqlite3_io_methods g_databaseMethods;
const sqlite3_io_methods *g_systemDatabaseMethods = nullptr;
std::mutex g_databaseMethodsMutex;

DatabaseFileTail *tailOf(sqlite3_file *f)
{
    return reinterpret_cast<DatabaseFileTail *>(reinterpret_cast<char *>(f) + aligned(size_t(g_system->szOsFile)));
}

int databaseFileControl(sqlite3_file *f, int op, void *arg)
{
    if (LogFile *log = tailOf(f)->log) {
        if (op == SQLITE_FCNTL_CKPT_START)
            log->startCopy();
        else if (op == SQLITE_FCNTL_CKPT_DONE)
            log->endCopy();
    }
    return g_systemDatabaseMethods->xFileControl(f, op, arg);
}

// Gives an opened database file the methods above, when they are made from its own.
void takeDatabaseFile(sqlite3_file *f)
{
    new (tailOf(f)) DatabaseFileTail();
    const std::lock_guard<std::mutex> lock(g_databaseMethodsMutex);
    if (!g_systemDatabaseMethods) {
        g_systemDatabaseMethods = f->pMethods;
        g_databaseMethods = *f->pMethods;
        g_databaseMethods.xFileControl = databaseFileControl;
    }
    if (f->pMethods == g_systemDatabaseMethods)
        f->pMethods = &g_databaseMethods;
}

void linkDatabase(sqlite3_file *database, LogFile *log)
{
    if (database->pMethods == &g_databaseMethods)
        tailOf(database)->log = log;
}

int layerOpen(sqlite3_vfs *, const char *name, sqlite3_file *f, int flags, int *outFlags)
{
    if ((flags & SQLITE_OPEN_MAIN_DB) != 0) {
        const int rc = g_system->xOpen(g_system, name, f, flags, outFlags);
        if (rc == SQLITE_OK && f->pMethods)
            takeDatabaseFile(f);
        return rc;
    }
    if ((flags & SQLITE_OPEN_WAL) == 0) // every other file is the system layer's own
        return g_system->xOpen(g_system, name, f, flags, outFlags);
    auto *system = reinterpret_cast<sqlite3_file *>(reinterpret_cast<char *>(f) + systemFileOffset());
    std::memset(system, 0, size_t(g_system->szOsFile));
    const int rc = g_system->xOpen(g_system, name, system, flags, outFlags);
    if (rc != SQLITE_OK || !system->pMethods) {
        if (system->pMethods)
            system->pMethods->xClose(system);
        f->pMethods = nullptr;
        return rc != SQLITE_OK ? rc : SQLITE_CANTOPEN;
    }
    auto *l = new (f) LogFile();
    l->base.pMethods = &g_logMethods;
    l->system = system;
    try {
        l->gathered.reserve(GatherBytes); // never grows past this: no allocation while writing
    } catch (const std::bad_alloc &) {
        logClose(f);
        f->pMethods = nullptr;
        return SQLITE_NOMEM;
    }
    if (sqlite3_file *database = sqlite3_database_file_object(name); database && database->pMethods == &g_databaseMethods) {
        l->database = database;
        linkDatabase(database, l);
    }
    return SQLITE_OK;
}

// The rest is the system layer's, called with its own object.
int layerDelete(sqlite3_vfs *, const char *name, int syncDir)
{
    return g_system->xDelete(g_system, name, syncDir);
}
int layerAccess(sqlite3_vfs *, const char *name, int flags, int *out)
{
    return g_system->xAccess(g_system, name, flags, out);
}
int layerFullPathname(sqlite3_vfs *, const char *name, int n, char *out)
{
    return g_system->xFullPathname(g_system, name, n, out);
}
void *layerDlOpen(sqlite3_vfs *, const char *name)
{
    return g_system->xDlOpen(g_system, name);
}
void layerDlError(sqlite3_vfs *, int n, char *out)
{
    g_system->xDlError(g_system, n, out);
}
void (*layerDlSym(sqlite3_vfs *, void *lib, const char *symbol))(void)
{
    return g_system->xDlSym(g_system, lib, symbol);
}
void layerDlClose(sqlite3_vfs *, void *lib)
{
    g_system->xDlClose(g_system, lib);
}
int layerRandomness(sqlite3_vfs *, int n, char *out)
{
    return g_system->xRandomness(g_system, n, out);
}
int layerSleep(sqlite3_vfs *, int microseconds)
{
    return g_system->xSleep(g_system, microseconds);
}
int layerCurrentTime(sqlite3_vfs *, double *out)
{
    return g_system->xCurrentTime(g_system, out);
}
int layerGetLastError(sqlite3_vfs *, int n, char *out)
{
    return g_system->xGetLastError(g_system, n, out);
}
int layerCurrentTimeInt64(sqlite3_vfs *, sqlite3_int64 *out)
{
    return g_system->xCurrentTimeInt64(g_system, out);
}

void registerLayer()
{
    sqlite3_initialize();
    g_system = sqlite3_vfs_find(nullptr);
    g_layer = sqlite3_vfs{};
    g_layer.iVersion = 2;
    g_layer.szOsFile = int(std::max(systemFileOffset() + size_t(g_system->szOsFile), aligned(size_t(g_system->szOsFile)) + sizeof(DatabaseFileTail)));
    g_layer.mxPathname = g_system->mxPathname;
    g_layer.zName = "miravel";
    g_layer.xOpen = layerOpen;
    g_layer.xDelete = layerDelete;
    g_layer.xAccess = layerAccess;
    g_layer.xFullPathname = layerFullPathname;
    g_layer.xDlOpen = layerDlOpen;
    g_layer.xDlError = layerDlError;
    g_layer.xDlSym = layerDlSym;
    g_layer.xDlClose = layerDlClose;
    g_layer.xRandomness = layerRandomness;
    g_layer.xSleep = layerSleep;
    g_layer.xCurrentTime = layerCurrentTime;
    g_layer.xGetLastError = layerGetLastError;
    g_layer.xCurrentTimeInt64 = layerCurrentTimeInt64;
    sqlite3_vfs_register(&g_layer, 0);
}

} // namespace

const char *logFileVfsName()
{
    static std::once_flag once;
    std::call_once(once, registerLayer);
    return g_layer.zName;
}

} // namespace db
