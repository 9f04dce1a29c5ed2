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
// Writes lines, each ended by CR LF, through a temporary file renamed into place.
bool writeLines(const QString &path, const QStringList &lines);
// Writes bytes as a whole file through a temporary file renamed into place.
bool writeBytes(const QString &path, const QByteArray &bytes);
// For many small files rewritten on every run: writes the bytes into `spare` and swaps the two
// names in one step, so that a reader sees the old file or the new one, never part of either. The
// old file becomes the spare of the next write, so a run creates and deletes no file, which on some
// file systems costs more than the writing. Where names cannot be swapped, the spare is renamed
// over the file. Does not wait for the disk: a power cut may cost the newest copy.
bool swapInBytes(const QString &path, const QString &spare, const QByteArray &bytes);

} // namespace TextFile
