#pragma once

// The file layer every database connection of the program opens its files through. It is the
// system's own layer with two changes to the write-ahead log, both for the everyday one-day import,
// whose 5,000 pages of log cost more in calls than in bytes:
// - The log's frames are gathered into writes of up to 64 KiB instead of two calls per page. Every
//   frame of a transaction is in the file before the write of its commit frame returns, so another
//   connection never reads a frame that is only in memory, and an error of a gathered write is the
//   error of that write.
// - Emptying the log after its last frame was written back (a truncating checkpoint) overwrites the
//   log's header with zeros instead of freeing its blocks: the log is just as empty to every reader
//   and to the recovery after a crash, which ignores a log without a valid header, and the next
//   transaction writes into blocks the file already has. A log grown past MaxKeptLogBytes is
//   truncated as before, so that a large import does not keep its log's size on disk.
// - While a checkpoint copies frames into the database, the log is read ahead 64 KiB at a time
//   when the frames come in the order they were written, as one transaction's do. The frames a
//   checkpoint copies are committed and nothing rewrites them before it ends; what was read ahead
//   is dropped when it ends. The database file's object tells its log when that is.
// Files other than the log are the system layer's own, untouched but for that hint.

#include <cstdint>

namespace db {

inline constexpr std::int64_t MaxKeptLogBytes = 32LL * 1024 * 1024;

// The name of the layer for sqlite3_open_v2, registered on first use.
const char *logFileVfsName();

} // namespace db
