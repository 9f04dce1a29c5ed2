// Runs a fuzz target over saved inputs without the fuzzing engine: every file of the folders (or
// the files) named on the command line goes through the target once. A broken invariant aborts;
// a missing folder is no error (a target may not have regressions yet).

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);

static bool runFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
        return false;
    }
    const QByteArray bytes = file.readAll();
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t *>(bytes.constData()), std::size_t(bytes.size()));
    return true;
}

int main(int argc, char **argv)
{
    int runs = 0;
    bool ok = true;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        const QFileInfo info(arg);
        if (info.isDir()) {
            const QDir dir(arg);
            for (const QString &name : dir.entryList(QDir::Files, QDir::Name)) {
                ok = runFile(dir.filePath(name)) && ok;
                ++runs;
            }
        } else if (info.isFile()) {
            ok = runFile(arg) && ok;
            ++runs;
        }
    }
    std::printf("%d inputs replayed\n", runs);
    return ok ? 0 : 1;
}
