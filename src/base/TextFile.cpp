#include "base/TextFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <unordered_set>
#include <utility>

#ifndef _WIN32
#include <cstdio> // renameat2
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
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

namespace {

// The description of a failure the system reports as an error number.
QString reasonOf(int systemError)
{
    switch (systemError) {
    case EACCES:
    case EPERM:
        return QStringLiteral("書き込みが許可されていません");
    case EROFS:
        return QStringLiteral("読み取り専用の場所です");
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("フォルダがありません");
    case EISDIR:
        return QStringLiteral("同じ名前のフォルダがあります");
    case EIO:
        return QStringLiteral("入出力エラー");
    case ENAMETOOLONG:
        return QStringLiteral("名前が長すぎます");
    default:
        return QString::fromLocal8Bit(std::strerror(systemError));
    }
}

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

QString temporaryNameFor(const QString &path)
{
    const QFileInfo info(path);
    return info.dir().filePath(QStringLiteral(".%1.%2.tmp")
                                   .arg(info.fileName())
                                   .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')));
}

#ifndef _WIN32

QByteArray nativePath(const QString &path)
{
    return QFile::encodeName(path);
}

// Writes every byte or gives the error number (0 when all were written).
int writeAll(int fd, const char *data, qsizetype size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(std::min<qsizetype>(size, qsizetype(1) << 30)));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return EIO;
        data += n;
        size -= n;
    }
    return 0;
}

int syncFile(int fd)
{
    while (::fsync(fd) != 0) {
        if (errno == EINVAL) // a file that cannot be synced (a special file system): nothing to wait for
            return 0;
        if (errno != EINTR)
            return errno;
    }
    return 0;
}

// Closing reports what a network file system could not write. After EINTR the descriptor is gone.
int closeFile(int fd)
{
    return ::close(fd) == 0 || errno == EINTR ? 0 : errno;
}

// Makes the rename of a name in folder last through a power cut. Where a folder cannot be synced,
// the rename stands all the same: this is not a failure of the write.
void syncFolder(const QString &folder)
{
    const int fd = ::open(nativePath(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    (void)::fsync(fd);
    (void)::close(fd);
}

// A new temporary file beside path with the permissions the file has (a web server's files stay
// readable), or the usual ones for a new file. -1 with errno set when it cannot be made.
int createTemporary(const QString &path, QString *temporary)
{
    struct stat existing
    {
    };
    const bool exists = ::stat(nativePath(path).constData(), &existing) == 0 && S_ISREG(existing.st_mode);
    for (int attempt = 0;; ++attempt) {
        *temporary = temporaryNameFor(path);
        const int fd = ::open(nativePath(*temporary).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if ((errno == EEXIST || errno == EINTR) && attempt < 100)
                continue;
            return -1;
        }
        if (exists)
            (void)::fchmod(fd, existing.st_mode & 07777);
        return fd;
    }
}

#endif

} // namespace

QString writeFailure(const QString &path, int systemError)
{
    const QString file = QDir::toNativeSeparators(path);
    switch (systemError) {
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return QStringLiteral("ディスクがいっぱいのため、ファイル %1 を書き込めません。").arg(file);
    case EFBIG:
        return QStringLiteral("ファイルの大きさの上限を超えるため、ファイル %1 を書き込めません。").arg(file);
    default:
        return QStringLiteral("ファイル %1 を書き込めません。(%2)").arg(file, reasonOf(systemError));
    }
}

bool isTemporaryFileName(const QString &fileName)
{
    static const QRegularExpression pattern(QStringLiteral("^\\..+\\.[0-9a-f]{8}\\.tmp$"));
    return pattern.match(fileName).hasMatch();
}

#ifndef _WIN32

bool writeBytes(const QString &path, const QByteArray &bytes, QString *error)
{
    // A link is followed: its target gets the bytes, as an editor would write it.
    QString target = path;
    struct stat link
    {
    };
    if (::lstat(nativePath(path).constData(), &link) == 0 && S_ISLNK(link.st_mode)) {
        const QString resolved = QFileInfo(path).canonicalFilePath();
        if (!resolved.isEmpty())
            target = resolved;
    }
    QString temporary;
    const int fd = createTemporary(target, &temporary);
    if (fd < 0) {
        setError(error, writeFailure(path, errno));
        return false;
    }
    int failure = writeAll(fd, bytes.constData(), bytes.size());
    if (failure == 0)
        failure = syncFile(fd);
    const int closed = closeFile(fd);
    if (failure == 0)
        failure = closed;
    if (failure == 0 && ::rename(nativePath(temporary).constData(), nativePath(target).constData()) != 0)
        failure = errno;
    if (failure != 0) {
        (void)::unlink(nativePath(temporary).constData());
        setError(error, writeFailure(path, failure));
        return false;
    }
    syncFolder(QFileInfo(target).path());
    return true;
}

bool SwapBatch::write(const QString &path, const QString &spare, const QByteArray &bytes, QString *error)
{
    // Written over the spare's bytes, then cut: emptying it first would give its disk blocks back
    // only to take new ones.
    int fd;
    do
        fd = ::open(nativePath(spare).constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        setError(error, writeFailure(path, errno));
        return false;
    }
    int failure = writeAll(fd, bytes.constData(), bytes.size());
    while (failure == 0 && ::ftruncate(fd, off_t(bytes.size())) != 0) {
        if (errno != EINTR)
            failure = errno;
    }
    const int closed = closeFile(fd);
    if (failure == 0)
        failure = closed;
    if (failure != 0) {
        (void)::unlink(nativePath(spare).constData());
        setError(error, writeFailure(path, failure));
        return false;
    }
    m_written.push_back({path, spare});
    m_synced = false; // a file written after a sync needs one of its own
    return true;
}

namespace {

// The names of a folder's entries; false when it cannot be read or holds anything but files.
bool filesIn(const QByteArray &folder, std::unordered_set<std::string> *names)
{
    DIR *dir = ::opendir(folder.constData());
    if (!dir)
        return false;
    bool onlyFiles = true;
    while (const dirent *entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        unsigned char type = entry->d_type;
        if (type == DT_UNKNOWN) {
            struct stat st
            {
            };
            type = ::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) ? DT_REG : DT_DIR;
        }
        if (type != DT_REG) {
            onlyFiles = false;
            break;
        }
        names->insert(name);
    }
    ::closedir(dir);
    return onlyFiles;
}

// Copies a file's bytes over another's; the error number, or 0.
int copyFile(const QByteArray &from, const QByteArray &to)
{
    const int in = ::open(from.constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return errno;
    QByteArray bytes;
    char buffer[65536];
    int failure = 0;
    for (;;) {
        const ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            failure = errno;
        if (n <= 0)
            break;
        bytes.append(buffer, n);
    }
    (void)::close(in);
    if (failure != 0)
        return failure;
    const int out = ::open(to.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (out < 0)
        return errno;
    failure = writeAll(out, bytes.constData(), bytes.size());
    const int closed = closeFile(out);
    return failure != 0 ? failure : closed;
}

} // namespace

SwapBatch::FolderSwap SwapBatch::readyFolders(const std::vector<Written> &written, QString *error)
{
    const QFileInfo firstPath(written.front().path), firstSpare(written.front().spare);
    const QString folder = firstPath.path(), spareFolder = firstSpare.path();
    if (folder == spareFolder)
        return FolderSwap::NotPossible;
    std::unordered_set<std::string> names;
    names.reserve(written.size());
    for (const Written &w : written) {
        const QFileInfo path(w.path), spare(w.spare);
        if (path.path() != folder || spare.path() != spareFolder || path.fileName() != spare.fileName())
            return FolderSwap::NotPossible;
        names.insert(nativePath(path.fileName()).toStdString());
    }
    const QByteArray nativeFolder = nativePath(folder), nativeSpares = nativePath(spareFolder);
    std::unordered_set<std::string> current, spares;
    struct stat folderStat
    {
    };
    if (::lstat(nativeFolder.constData(), &folderStat) != 0 || !S_ISDIR(folderStat.st_mode) || !filesIn(nativeFolder, &current)
        || !filesIn(nativeSpares, &spares))
        return FolderSwap::NotPossible;
    // The spare folder becomes the folder: the files no run wrote come along as they are, and
    // spares of files the folder no longer has go.
    for (const std::string &name : current) {
        if (names.count(name) == 0) {
            const int failure = copyFile(nativeFolder + '/' + name.c_str(), nativeSpares + '/' + name.c_str());
            if (failure != 0) {
                setError(error, writeFailure(QFile::decodeName(nativeFolder + '/' + name.c_str()), failure));
                return FolderSwap::Failed;
            }
        }
    }
    for (const std::string &name : spares) {
        if (names.count(name) == 0 && current.count(name) == 0 && ::unlink((nativeSpares + '/' + name.c_str()).constData()) != 0) {
            setError(error, writeFailure(QFile::decodeName(nativeSpares + '/' + name.c_str()), errno));
            return FolderSwap::Failed;
        }
    }
    (void)::chmod(nativeSpares.constData(), folderStat.st_mode & 07777);
    return FolderSwap::Ready;
}

bool SwapBatch::sync(QString *error)
{
    if (m_written.empty() || m_synced)
        return true;
#ifdef __linux__
    // Files that all live in one folder, their spares in another: the two folders will trade places
    // in one step, once the spare folder holds what the folder holds besides.
    const FolderSwap folderSwap = readyFolders(m_written, error);
    if (folderSwap == FolderSwap::Failed)
        return false;
    // One sync for all the spares: none is swapped in before its bytes are on the disk.
    const int fd = ::open(nativePath(m_written.front().spare).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::syncfs(fd) != 0) {
        const int failure = errno;
        if (fd >= 0)
            (void)::close(fd);
        setError(error, writeFailure(m_written.front().path, failure));
        return false;
    }
    (void)::close(fd);
    m_folderSwap = folderSwap;
#else
    ::sync();
    m_folderSwap = FolderSwap::NotPossible;
#endif
    m_synced = true;
    return true;
}

bool SwapBatch::swapIn(QString *error)
{
    if (m_written.empty())
        return true;
    const bool synced = sync(error);
    const std::vector<Written> written = std::exchange(m_written, {});
    const FolderSwap folderSwap = std::exchange(m_folderSwap, FolderSwap::NotPossible);
    m_synced = false;
    if (!synced)
        return false;
#ifdef __linux__
    if (folderSwap == FolderSwap::Ready) {
        const QString folder = QFileInfo(written.front().path).path(), spareFolder = QFileInfo(written.front().spare).path();
        if (::renameat2(AT_FDCWD, nativePath(spareFolder).constData(), AT_FDCWD, nativePath(folder).constData(), RENAME_EXCHANGE)
            == 0) {
            syncFolder(QFileInfo(folder).path());
            syncFolder(QFileInfo(spareFolder).path());
            return true;
        }
        // A file system that cannot swap folders: the files one by one.
    }
#endif
    for (const Written &w : written) {
        const QByteArray spare = nativePath(w.spare), path = nativePath(w.path);
#ifdef __linux__
        if (::renameat2(AT_FDCWD, spare.constData(), AT_FDCWD, path.constData(), RENAME_EXCHANGE) == 0)
            continue;
            // No file to swap with yet, or a file system that cannot swap: a plain rename.
#endif
        if (::rename(spare.constData(), path.constData()) != 0) {
            setError(error, writeFailure(w.path, errno));
            return false;
        }
    }
    QSet<QString> folders;
    for (const Written &w : written)
        folders.insert(QFileInfo(w.path).path());
    for (const QString &folder : std::as_const(folders))
        syncFolder(folder);
    return true;
}

#else

// Windows: Qt's file functions, every result checked; the rename replaces the old file in one step.
bool writeBytes(const QString &path, const QByteArray &bytes, QString *error)
{
    const QString temporary = temporaryNameFor(path);
    QFile file(temporary);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        setError(error, QStringLiteral("ファイル %1 を書き込めません。(%2)").arg(QDir::toNativeSeparators(path), file.errorString()));
        return false;
    }
    qsizetype done = 0;
    while (done < bytes.size()) {
        const qint64 n = file.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0)
            break;
        done += qsizetype(n);
    }
    bool ok = done == bytes.size() && file.flush();
    QString reason = file.errorString();
    file.close();
    ok = ok && file.error() == QFileDevice::NoError;
    if (ok) {
        std::error_code renamed;
        std::filesystem::rename(std::filesystem::path(temporary.toStdU16String()), std::filesystem::path(path.toStdU16String()),
                                renamed);
        if (renamed) {
            ok = false;
            reason = QString::fromLocal8Bit(renamed.message().c_str());
        }
    }
    if (!ok) {
        QFile::remove(temporary);
        setError(error, QStringLiteral("ファイル %1 を書き込めません。(%2)").arg(QDir::toNativeSeparators(path), reason));
    }
    return ok;
}

bool SwapBatch::write(const QString &path, const QString &spare, const QByteArray &bytes, QString *error)
{
    QFile file(spare);
    bool ok = file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size() && file.flush();
    const QString reason = file.errorString();
    file.close();
    if (!ok || file.error() != QFileDevice::NoError) {
        QFile::remove(spare);
        setError(error, QStringLiteral("ファイル %1 を書き込めません。(%2)").arg(QDir::toNativeSeparators(path), reason));
        return false;
    }
    m_written.push_back({path, spare});
    m_synced = false; // a file written after a sync needs one of its own
    return true;
}

bool SwapBatch::sync(QString *)
{
    return true; // each file was flushed as it was written; each rename replaces a file in one step
}

bool SwapBatch::swapIn(QString *error)
{
    const std::vector<Written> written = std::exchange(m_written, {});
    for (const Written &w : written) {
        std::error_code renamed;
        std::filesystem::rename(std::filesystem::path(w.spare.toStdU16String()), std::filesystem::path(w.path.toStdU16String()),
                                renamed);
        if (renamed) {
            setError(error, QStringLiteral("ファイル %1 を書き込めません。(%2)").arg(QDir::toNativeSeparators(w.path), QString::fromLocal8Bit(renamed.message().c_str())));
            return false;
        }
    }
    return true;
}

#endif

bool writeLines(const QString &path, const QStringList &lines, QString *error)
{
    QString all;
    for (const QString &line : lines) {
        all += line;
        all += QLatin1String("\r\n");
    }
    return writeBytes(path, encode(all), error);
}

} // namespace TextFile
