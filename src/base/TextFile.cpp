#include "base/TextFile.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <filesystem>

#ifdef __linux__
#include <cstdio> // renameat2
#include <fcntl.h>
#endif

namespace TextFile {

static const char *const CodePage = "windows-31j";

namespace {

bool hasNonAscii(const QByteArray &bytes)
{
    return std::any_of(bytes.begin(), bytes.end(), [](char c) { return (unsigned char)c >= 0x80; });
}

// The code page's converter maps 0x1A, 0x1C and 0x7F to one another.
bool isSwappedControl(char c)
{
    return c == 0x1A || c == 0x1C || c == 0x7F;
}

} // namespace

QString decode(const QByteArray &bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.constData() + 3, bytes.size() - 3);
    // Opening the converter costs more than most lines, which are ASCII: the code page keeps ASCII
    // as it is (backslash and tilde included) except three control characters it swaps.
    if (std::none_of(bytes.begin(), bytes.end(), [](char c) { return (unsigned char)c >= 0x80 || isSwappedControl(c); }))
        return QString::fromLatin1(bytes);
    QStringDecoder decoder(CodePage);
    if (!decoder.isValid())
        return QString::fromLocal8Bit(bytes);
    return decoder.decode(bytes);
}

QString decodeAny(const QByteArray &bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return decode(bytes);
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString asUtf8 = utf8.decode(bytes);
    if (!utf8.hasError())
        return asUtf8; // plain ASCII reads the same either way
    return decode(bytes);
}

QByteArray encode(const QString &text)
{
    if (std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80 && !isSwappedControl(char(c.unicode())); }))
        return text.toLatin1();
    QStringEncoder encoder(CodePage);
    if (!encoder.isValid())
        return text.toLocal8Bit();
    return encoder.encode(text);
}

bool DecodedText::isUndecodable(int index) const
{
    return std::binary_search(undecodable.begin(), undecodable.end(), index);
}

namespace {

// The decoder a text of this file needs; decodes without replacing silently (hasError tells).
QStringDecoder decoderFor(bool utf8)
{
    return utf8 ? QStringDecoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless)
                : QStringDecoder(CodePage, QStringConverter::Flag::Stateless);
}

// Byte lines at CR LF, LF or CR. CR and LF are never the second byte of a code page 932 character,
// so splitting before decoding is safe.
std::vector<QByteArray> splitByteLines(const QByteArray &bytes)
{
    std::vector<QByteArray> lines;
    qsizetype start = 0;
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char c = bytes.at(i);
        if (c == '\r' || c == '\n') {
            lines.push_back(bytes.mid(start, i - start));
            if (c == '\r' && i + 1 < n && bytes.at(i + 1) == '\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < n)
        lines.push_back(bytes.mid(start));
    return lines;
}

} // namespace

DecodedText decodeLines(const QByteArray &bytes)
{
    DecodedText text;
    QByteArray body = bytes;
    bool marked = false;
    if (body.startsWith("\xEF\xBB\xBF")) {
        body.remove(0, 3);
        marked = text.utf8 = true;
    }
    QStringDecoder fallback(CodePage);
    if (!fallback.isValid()) {
        text.lines = splitLines(QString::fromLocal8Bit(body));
        return text;
    }
    // Fast paths: the whole file decodes in one of the two.
    if (marked || hasNonAscii(body)) {
        QStringDecoder utf8 = decoderFor(true);
        const QString decoded = utf8.decode(body);
        if (!utf8.hasError()) {
            text.utf8 = true;
            text.lines = splitLines(decoded);
            return text;
        }
    }
    if (!marked) {
        QStringDecoder cp932 = decoderFor(false);
        const QString decoded = cp932.decode(body);
        if (!cp932.hasError()) {
            text.lines = splitLines(decoded);
            return text;
        }
    }
    // Some lines are wrong: the encoding most non-ASCII lines are valid in is the file's, and the
    // lines not valid in it are listed.
    const std::vector<QByteArray> raw = splitByteLines(body);
    if (!marked) {
        int utf8Lines = 0, cp932Lines = 0;
        for (const QByteArray &line : raw) {
            if (!hasNonAscii(line))
                continue;
            QStringDecoder utf8 = decoderFor(true);
            (void)utf8.decode(line);
            if (!utf8.hasError()) {
                ++utf8Lines;
                continue;
            }
            QStringDecoder cp932 = decoderFor(false);
            (void)cp932.decode(line);
            if (!cp932.hasError())
                ++cp932Lines;
        }
        text.utf8 = utf8Lines > cp932Lines;
    }
    for (size_t i = 0; i < raw.size(); ++i) {
        QStringDecoder one = decoderFor(text.utf8);
        text.lines.append(one.decode(raw[i]));
        if (one.hasError())
            text.undecodable.push_back(int(i));
    }
    return text;
}

QStringList splitLines(const QString &text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            lines.append(text.mid(start, i - start));
            if (c == QLatin1Char('\r') && i + 1 < n && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            start = i + 1;
        }
    }
    if (start < n)
        lines.append(text.mid(start));
    return lines;
}

QStringList readLines(const QString &path, bool *ok)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (ok)
            *ok = false;
        return {};
    }
    if (ok)
        *ok = true;
    return splitLines(decode(file.readAll()));
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool swapInBytes(const QString &path, const QString &spare, const QByteArray &bytes)
{
    // Written over the spare's bytes, then cut: emptying it first would give its disk blocks back
    // only to take new ones.
    QFile file(spare);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    const bool written = file.write(bytes) == bytes.size() && file.flush() && file.resize(bytes.size());
    file.close();
    if (!written || file.error() != QFileDevice::NoError) {
        QFile::remove(spare);
        return false;
    }
#ifdef __linux__
    if (::renameat2(AT_FDCWD, QFile::encodeName(spare).constData(), AT_FDCWD, QFile::encodeName(path).constData(),
                    RENAME_EXCHANGE) == 0)
        return true;
    // No file to swap with yet, or a file system that cannot swap: a plain rename.
#endif
    std::error_code error;
    std::filesystem::rename(std::filesystem::path(spare.toStdU16String()), std::filesystem::path(path.toStdU16String()),
                            error); // replaces the old file
    if (error) {
        QFile::remove(spare);
        return false;
    }
    return true;
}

bool writeLines(const QString &path, const QStringList &lines)
{
    QString all;
    for (const QString &line : lines) {
        all += line;
        all += QLatin1String("\r\n");
    }
    return writeBytes(path, encode(all));
}

} // namespace TextFile
