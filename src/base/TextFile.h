#pragma once

// External text files: code page 932 (Shift_JIS, "windows-31j"), lines ended by CR LF.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

namespace TextFile {

// Decodes code page 932 bytes. A UTF-8 byte order mark makes the rest read as UTF-8.
QString decode(const QByteArray &bytes);
QByteArray encode(const QString &text);
// Decodes a file a user brings, recognised by its bytes: UTF-8 when it has a byte order mark or is
// well-formed UTF-8 with non-ASCII characters, else code page 932.
QString decodeAny(const QByteArray &bytes);

// The lines of a file a user brings. Code page 932, unless the file starts with a UTF-8 byte order
// mark or is valid UTF-8 with non-ASCII bytes (Japanese code page 932 text is practically never
// valid UTF-8). Lines whose bytes are valid in neither are listed, never silently altered.
struct DecodedText
{
    QStringList lines;
    std::vector<int> undecodable; // 0-based indexes into lines, ascending
    bool utf8 = false;

    bool isUndecodable(int index) const;
};
DecodedText decodeLines(const QByteArray &bytes);

// Splits into lines at CR LF, LF or CR; a last empty line after the final line end is not a line.
QStringList splitLines(const QString &text);

// Reads a whole file; ok is false when it cannot be read.
QStringList readLines(const QString &path, bool *ok = nullptr);
// The one whole-file write. The bytes go into a temporary file beside path, every write() checked
// (interruptions, short writes, a full disk, a file-size limit), are synced to the disk and closed,
// and only then is the temporary file renamed over path (and the folder synced). On failure the
// file before (or none) stays as it was, the temporary file is removed, and error, when given, gets
// a Japanese description that names path. A file under its final name is therefore always whole.
bool writeBytes(const QString &path, const QByteArray &bytes, QString *error = nullptr);
// Writes lines, each ended by CR LF, in code page 932, as writeBytes does.
bool writeLines(const QString &path, const QStringList &lines, QString *error = nullptr);
// The temporary files writeBytes makes: ".<name>.<8 hex digits>.tmp". One outlives its write only
// when the process is killed during it; a program that owns a folder may remove them.
bool isTemporaryFileName(const QString &fileName);
// Why path could not be written, from the system's error number (ENOSPC, EFBIG, EACCES, ...).
QString writeFailure(const QString &path, int systemError);

// For many small files rewritten on every run (the quote pages), where a sync per file would cost
// more than the writing: write() puts each file's new bytes, every byte checked, into its spare
// (the file's previous copy, which the swap made), and swapIn() syncs the file system once, then
// swaps each spare with its file in one step, so that a reader sees the old file or the new one,
// never part of either, and a power cut leaves whole files. The old file becomes the spare of the
// next run, so a run creates and deletes no file, which on some file systems costs more than the
// writing. Where names cannot be swapped, the spare is renamed over the file. When all the files
// lie in one folder and their spares in another, the two folders trade places instead (one step
// for thousands of files); the spare folder is first given copies of the folder's other files and
// rid of spares the folder no longer has, so the folder ends up as the file-by-file swap leaves it.
// The folder (and the spare folder) is synced before swapIn returns.
class SwapBatch final
{
public:
    // Writes bytes whole into spare; path is not touched yet. On failure the spare is removed.
    bool write(const QString &path, const QString &spare, const QByteArray &bytes, QString *error = nullptr);
    // Puts every file written since the last swap on the disk, without swapping anything in yet:
    // the slow part of a swap, which a thread of its own can do while another goes on. swapIn()
    // then only swaps. Nothing to do when already synced.
    bool sync(QString *error = nullptr);
    // Syncs unless sync() did, then swaps in every file written since the last call. Stops at the
    // first file that cannot be swapped; the files before it are in, the rest keep their old bytes.
    bool swapIn(QString *error = nullptr);
    qsizetype pending() const { return qsizetype(m_written.size()); }

private:
    struct Written
    {
        QString path;
        QString spare;
    };
    std::vector<Written> m_written;
    enum class FolderSwap
    {
        NotPossible, // the files are swapped one by one
        Ready,
        Failed // error set
    };
    // Readies the spare folder to trade places with the folder, when every file lies in one folder
    // and its spare, of the same name, in another, and neither folder holds anything but files.
    static FolderSwap readyFolders(const std::vector<Written> &written, QString *error);
    bool m_synced = false;
    FolderSwap m_folderSwap = FolderSwap::NotPossible; // as readied by sync()
};

} // namespace TextFile
