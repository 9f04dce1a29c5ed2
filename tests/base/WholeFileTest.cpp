// The one whole-file write and the swapped writes of many small files: a file under its final name
// is the old one or the new one, whole, whatever stops the write.

#include "base/TextFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

QByteArray contentOf(const QString &file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

QStringList namesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

TEST(WholeFile, ReplacesTheFileAndLeavesNoTemporaryFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Regist.mei"));
    QString error;
    ASSERT_TRUE(TextFile::writeBytes(path, QByteArray(5000, 'a'), &error)) << error.toStdString();
    ASSERT_TRUE(TextFile::writeLines(path, {QStringLiteral("新しい"), QString()}, &error));
    EXPECT_EQ(contentOf(path), TextFile::encode(QStringLiteral("新しい\r\n\r\n")));
    EXPECT_EQ(namesIn(dir.path()), QStringList{QStringLiteral("Regist.mei")});
    EXPECT_TRUE(error.isEmpty());
    EXPECT_TRUE(TextFile::isTemporaryFileName(QStringLiteral(".Regist.mei.0123abcd.tmp")));
    EXPECT_FALSE(TextFile::isTemporaryFileName(QStringLiteral("Regist.mei")));
}

// Failures that come before any byte and after the last one: the description names the file, and
// the folder holds what it held.
TEST(WholeFile, FailuresNameTheFileAndLeaveTheFolderAsItWas)
{
    QTemporaryDir dir;
    QString error;
    const QString nowhere = dir.filePath(QStringLiteral("missing/q.html"));
    EXPECT_FALSE(TextFile::writeBytes(nowhere, "x", &error));
    EXPECT_EQ(error, QStringLiteral("ファイル %1 を書き込めません。(フォルダがありません)").arg(QDir::toNativeSeparators(nowhere)));

    // The rename is the last step: everything is written and synced before a folder in the way
    // refuses it, and the temporary file goes.
    const QString folderInTheWay = dir.filePath(QStringLiteral("Miravel.ini"));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("Miravel.ini")));
    EXPECT_FALSE(TextFile::writeBytes(folderInTheWay, QByteArray(100000, 'x'), &error));
    EXPECT_TRUE(error.contains(QDir::toNativeSeparators(folderInTheWay))) << error.toStdString();
    EXPECT_EQ(namesIn(dir.path()), QStringList());
    EXPECT_TRUE(QFileInfo(folderInTheWay).isDir());

#ifndef _WIN32
    if (::geteuid() != 0) { // the superuser writes into read-only folders
        const QString path = dir.filePath(QStringLiteral("locked/stock.csv"));
        ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("locked")));
        ASSERT_TRUE(TextFile::writeBytes(path, "old"));
        ASSERT_EQ(::chmod(QFile::encodeName(dir.filePath(QStringLiteral("locked"))).constData(), 0555), 0);
        EXPECT_FALSE(TextFile::writeBytes(path, "new", &error));
        EXPECT_EQ(error, QStringLiteral("ファイル %1 を書き込めません。(書き込みが許可されていません)").arg(QDir::toNativeSeparators(path)));
        EXPECT_EQ(contentOf(path), QByteArray("old"));
        ::chmod(QFile::encodeName(dir.filePath(QStringLiteral("locked"))).constData(), 0755);
    }
#endif
}

#ifndef _WIN32

// A file served by a web server stays readable: the new file keeps the old one's permissions, and a
// new file gets the usual ones, not those of a private temporary file.
TEST(WholeFile, KeepsThePermissionsOfTheFile)
{
    QTemporaryDir dir;
    const QString kept = dir.filePath(QStringLiteral("kept")), fresh = dir.filePath(QStringLiteral("fresh"));
    const auto modeOf = [](const QString &file) {
        struct stat s
        {
        };
        return ::stat(QFile::encodeName(file).constData(), &s) == 0 ? int(s.st_mode & 07777) : -1;
    };
    ASSERT_TRUE(TextFile::writeBytes(kept, "a"));
    ASSERT_EQ(::chmod(QFile::encodeName(kept).constData(), 0640), 0);
    ASSERT_TRUE(TextFile::writeBytes(kept, "b"));
    EXPECT_EQ(modeOf(kept), 0640);
    const mode_t mask = ::umask(022);
    ASSERT_TRUE(TextFile::writeBytes(fresh, "c"));
    ::umask(mask);
    EXPECT_EQ(modeOf(fresh), 0644);
}

// What a child process that writes under a file-size limit reports: 0 when the write succeeded,
// else 1 with the description in error.
int writeUnderSizeLimit(rlim_t limit, const std::function<bool(QString *)> &write, QString *error)
{
    int channel[2];
    if (::pipe(channel) != 0)
        return -1;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        std::signal(SIGXFSZ, SIG_IGN); // as the programs do: the write fails instead of the process
        const rlimit fileSize{limit, limit};
        ::setrlimit(RLIMIT_FSIZE, &fileSize);
        QString why;
        const bool ok = write(&why);
        const QByteArray bytes = why.toUtf8();
        (void)!::write(channel[1], bytes.constData(), size_t(bytes.size()));
        ::_exit(ok ? 0 : 1);
    }
    ::close(channel[1]);
    QByteArray said;
    char buffer[512];
    for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) > 0;)
        said.append(buffer, n);
    ::close(channel[0]);
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    *error = QString::fromUtf8(said);
    return WEXITSTATUS(status);
}

// The limit cuts the write part-way (a short write, then EFBIG): the file before stays byte for
// byte, or there is none, and no temporary file is left.
TEST(WholeFile, FileSizeLimitLeavesTheFileBefore)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Ds202401.05"));
    const QByteArray before = QByteArray("20240105,1,0\r\n") + QByteArray(3000, 'o');
    ASSERT_TRUE(TextFile::writeBytes(path, before));
    const QString expected = QStringLiteral("ファイルの大きさの上限を超えるため、ファイル %1 を書き込めません。").arg(QDir::toNativeSeparators(path));
    QString error;
    EXPECT_EQ(writeUnderSizeLimit(
                  8192, [&](QString *why) { return TextFile::writeBytes(path, QByteArray(20000, 'n'), why); }, &error),
              1);
    EXPECT_EQ(error, expected);
    EXPECT_EQ(contentOf(path), before);
    EXPECT_EQ(namesIn(dir.path()), QStringList{QStringLiteral("Ds202401.05")});

    ASSERT_TRUE(QFile::remove(path));
    EXPECT_EQ(writeUnderSizeLimit(
                  8192, [&](QString *why) { return TextFile::writeBytes(path, QByteArray(20000, 'n'), why); }, &error),
              1);
    EXPECT_EQ(error, expected);
    EXPECT_EQ(namesIn(dir.path()), QStringList());

    // Below the limit the same child writes.
    EXPECT_EQ(writeUnderSizeLimit(
                  8192, [&](QString *why) { return TextFile::writeBytes(path, QByteArray(8192, 'n'), why); }, &error),
              0);
    EXPECT_EQ(contentOf(path), QByteArray(8192, 'n'));
}

#endif

// Swapped in: the file before becomes the spare, a spare longer than the new bytes is cut, and
// nothing changes under the file's name before swapIn.
TEST(SwappedFiles, TradePlacesWithTheirSpares)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("q.html"));
    const QString spare = dir.filePath(QStringLiteral(".q.html"));
    TextFile::SwapBatch batch;
    for (const QByteArray &bytes : {QByteArray("first, the longest"), QByteArray("second"), QByteArray("3rd")}) {
        const QByteArray before = contentOf(path);
        ASSERT_TRUE(batch.write(path, spare, bytes));
        EXPECT_EQ(contentOf(path), before);
        ASSERT_TRUE(batch.swapIn());
        EXPECT_EQ(contentOf(path), bytes);
        if (before != "<missing>") {
            EXPECT_EQ(contentOf(spare), before);
        }
    }
    EXPECT_EQ(batch.pending(), 0);
#ifdef __linux__
    // From then on the two files trade places: no file is made or deleted.
    struct stat first
    {
    }, second{};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &first), 0);
    ASSERT_TRUE(batch.write(path, spare, "fourth"));
    ASSERT_TRUE(batch.swapIn());
    ASSERT_EQ(::stat(QFile::encodeName(spare).constData(), &second), 0);
    EXPECT_EQ(first.st_ino, second.st_ino);
#endif
    QString error;
    const QString nowhere = dir.filePath(QStringLiteral("missing/q.html"));
    EXPECT_FALSE(batch.write(nowhere, dir.filePath(QStringLiteral("missing/.q")), "x", &error));
    EXPECT_TRUE(error.contains(QDir::toNativeSeparators(nowhere))) << error.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("missing"))));
}

// Pages in one folder, their spares in another: what the folder holds after a run is what the
// file-by-file swap leaves (files the run did not write stay as they are, spares of files the folder
// lacks do not come in), and a folder that holds a folder is swapped file by file.
TEST(SwappedFiles, FolderOfPagesAndFolderOfSparesTradePlaces)
{
    for (const bool withSubfolder : {false, true}) {
        QTemporaryDir dir;
        const QString pages = dir.filePath(QStringLiteral("q")), spares = dir.filePath(QStringLiteral(".previous/q"));
        ASSERT_TRUE(QDir().mkpath(pages) && QDir().mkpath(spares));
        const auto put = [](const QString &file, const QByteArray &bytes) {
            QFile f(file);
            return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
        };
        ASSERT_TRUE(put(pages + QStringLiteral("/1.html"), "old 1") && put(pages + QStringLiteral("/kept.html"), "kept"));
        ASSERT_TRUE(put(spares + QStringLiteral("/kept.html"), "stale copy") && put(spares + QStringLiteral("/gone.html"), "stale"));
        if (withSubfolder) {
            ASSERT_TRUE(QDir().mkpath(pages + QStringLiteral("/sub")));
        }
        TextFile::SwapBatch batch;
        for (const char *name : {"/1.html", "/2.html"})
            ASSERT_TRUE(batch.write(pages + QLatin1String(name), spares + QLatin1String(name), QByteArray("new") + name));
        EXPECT_EQ(contentOf(pages + QStringLiteral("/1.html")), QByteArray("old 1"));
        QString error;
        ASSERT_TRUE(batch.swapIn(&error)) << error.toStdString();
        EXPECT_EQ(namesIn(pages), (QStringList{QStringLiteral("1.html"), QStringLiteral("2.html"), QStringLiteral("kept.html")}));
        EXPECT_EQ(contentOf(pages + QStringLiteral("/1.html")), QByteArray("new/1.html"));
        EXPECT_EQ(contentOf(pages + QStringLiteral("/2.html")), QByteArray("new/2.html"));
        EXPECT_EQ(contentOf(pages + QStringLiteral("/kept.html")), QByteArray("kept"));
        EXPECT_EQ(contentOf(spares + QStringLiteral("/1.html")), QByteArray("old 1"));
        EXPECT_EQ(QFileInfo(pages + QStringLiteral("/sub")).isDir(), withSubfolder);
        // The next run writes into the previous copies and swaps again. Synced ahead of the swap,
        // nothing is in yet, and a page written after that sync goes in with the others.
        ASSERT_TRUE(batch.write(pages + QStringLiteral("/1.html"), spares + QStringLiteral("/1.html"), "newer"));
        ASSERT_TRUE(batch.sync(&error)) << error.toStdString();
        EXPECT_EQ(contentOf(pages + QStringLiteral("/1.html")), QByteArray("new/1.html"));
        ASSERT_TRUE(batch.write(pages + QStringLiteral("/2.html"), spares + QStringLiteral("/2.html"), "newer 2"));
        ASSERT_TRUE(batch.swapIn(&error)) << error.toStdString();
        EXPECT_EQ(contentOf(pages + QStringLiteral("/1.html")), QByteArray("newer"));
        EXPECT_EQ(contentOf(pages + QStringLiteral("/2.html")), QByteArray("newer 2"));
        EXPECT_EQ(contentOf(pages + QStringLiteral("/kept.html")), QByteArray("kept"));
    }
}

#ifndef _WIN32

// A page the limit cuts is not swapped in: its spare goes, the page keeps its old bytes.
TEST(SwappedFiles, FileSizeLimitLeavesThePageBefore)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("q.html"));
    const QString spare = dir.filePath(QStringLiteral(".q.html"));
    TextFile::SwapBatch batch;
    ASSERT_TRUE(batch.write(path, spare, "old page"));
    ASSERT_TRUE(batch.swapIn());
    QString error;
    EXPECT_EQ(writeUnderSizeLimit(
                  4096,
                  [&](QString *why) {
                      TextFile::SwapBatch child;
                      return child.write(path, spare, QByteArray(10000, 'p'), why) && child.swapIn(why);
                  },
                  &error),
              1);
    EXPECT_EQ(error, QStringLiteral("ファイルの大きさの上限を超えるため、ファイル %1 を書き込めません。").arg(QDir::toNativeSeparators(path)));
    EXPECT_EQ(contentOf(path), QByteArray("old page"));
    EXPECT_FALSE(QFileInfo::exists(spare));
}

#endif

} // namespace
