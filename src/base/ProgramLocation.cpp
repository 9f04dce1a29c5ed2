#include "base/ProgramLocation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace ProgramLocation {

namespace {

QString absoluteNative(const QString &folder)
{
    return QDir::toNativeSeparators(QDir::cleanPath(QDir(folder).absolutePath()));
}

bool holdsSettings(const QString &folder)
{
    return QFileInfo(QDir(folder).filePath(QStringLiteral("Miravel.ini"))).isFile();
}

QString executableFolder()
{
    return QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QDir::currentPath();
}

} // namespace

bool isInstalledLayout(const QString &executableFolder)
{
    const QDir bin(executableFolder);
    return bin.dirName() == QLatin1String("bin") && QFileInfo(bin.filePath(QStringLiteral("../share/miravel"))).isDir();
}

Choice choose(const Inputs &inputs)
{
    if (!inputs.optionFolder.isEmpty())
        return {absoluteNative(inputs.optionFolder), Origin::Option};
    if (!inputs.environmentFolder.isEmpty())
        return {absoluteNative(inputs.environmentFolder), Origin::Environment};
    const QString exe = inputs.executableFolder;
    const bool portable =
        holdsSettings(exe) || (QFileInfo(exe).isWritable() && QFileInfo(exe).isDir() && !isInstalledLayout(exe));
    if (portable)
        return {absoluteNative(exe), Origin::Portable};
    return {absoluteNative(inputs.userDataFolder), Origin::UserData};
}

QString userDataFolder()
{
#if defined(Q_OS_WIN)
    QString base = qEnvironmentVariable("LOCALAPPDATA");
    if (base.isEmpty())
        base = QDir::home().filePath(QStringLiteral("AppData/Local"));
    return absoluteNative(QDir(base).filePath(QStringLiteral("Miravel")));
#else
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    // A relative XDG_DATA_HOME is invalid and ignored, as the XDG rules say.
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::home().filePath(QStringLiteral(".local/share"));
    return absoluteNative(QDir(base).filePath(QStringLiteral("miravel")));
#endif
}

Inputs inputsOfThisProcess(const QString &optionFolder)
{
    return {optionFolder, qEnvironmentVariable("MIRAVEL_HOME"), executableFolder(), userDataFolder()};
}

bool ensureFolder(const Choice &choice, QString *error)
{
    if (QFileInfo(choice.folder).isDir())
        return true;
    if (QDir().mkpath(choice.folder))
        return true;
    if (error)
        *error = QStringLiteral("プログラムフォルダ %1 を作成できません。").arg(choice.folder);
    return false;
}

QString describe(const Choice &choice)
{
    QString how;
    switch (choice.origin) {
    case Origin::Option:
        how = QStringLiteral("--folder で指定");
        break;
    case Origin::Environment:
        how = QStringLiteral("環境変数 MIRAVEL_HOME で指定");
        break;
    case Origin::Portable:
        how = QStringLiteral("プログラムと同じフォルダ");
        break;
    case Origin::UserData:
        how = QStringLiteral("ユーザーデータフォルダ");
        break;
    }
    return QStringLiteral("プログラムフォルダ: %1（%2）").arg(choice.folder, how);
}

QString shippedFolder()
{
    const QString exe = executableFolder();
    if (isInstalledLayout(exe))
        return absoluteNative(QDir(exe).filePath(QStringLiteral("../share/miravel")));
    return absoluteNative(exe);
}

QString shippedFile(const QString &name)
{
    for (const QString &folder : {shippedFolder(), absoluteNative(executableFolder())}) {
        const QString path = QDir(folder).filePath(name);
        if (QFileInfo::exists(path))
            return QDir::toNativeSeparators(path);
    }
    return QDir::toNativeSeparators(QDir(shippedFolder()).filePath(name));
}

bool takeFolderOption(QStringList &arguments, QString *folder)
{
    for (int i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--"))
            return true;
        if (arguments[i] == QLatin1String("--folder")) {
            if (i + 1 >= arguments.size())
                return false;
            *folder = arguments[i + 1];
            arguments.remove(i, 2);
            return true;
        }
        if (arguments[i].startsWith(QLatin1String("--folder="))) {
            *folder = arguments[i].mid(9);
            arguments.removeAt(i);
            return !folder->isEmpty();
        }
    }
    return true;
}

} // namespace ProgramLocation
