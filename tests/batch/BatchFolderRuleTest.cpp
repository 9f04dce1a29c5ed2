// Every program finds its program folder the same way; miravel-batch --version names the one in use.

#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Runs a copy of the tool placed at exeFolder with the given environment additions.
QStringList versionOf(const QString &exeFolder, const QStringList &arguments, const QMap<QString, QString> &environment)
{
    const QString copy = QDir(exeFolder).filePath(QStringLiteral("miravel-batch"));
    if (!QFile::exists(copy)) {
        EXPECT_TRUE(QFile::copy(testing_support::batchToolPath(), copy));
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("MIRAVEL_HOME"));
    for (auto it = environment.begin(); it != environment.end(); ++it)
        env.insert(it.key(), it.value());
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(copy, arguments + QStringList{QStringLiteral("--version")});
    EXPECT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    return QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QString folderLine(const QString &folder, const QString &how)
{
    return QStringLiteral("プログラムフォルダ: %1（%2）").arg(QDir::toNativeSeparators(QDir::cleanPath(folder)), how);
}

TEST(BatchFolderRule, VersionNamesTheFolderOfPortableInstalledAndOverriddenRuns)
{
    QTemporaryDir root;
    const QString portable = root.filePath(QStringLiteral("portable"));
    const QString bin = root.filePath(QStringLiteral("usr/bin"));
    const QString xdg = root.filePath(QStringLiteral("xdg"));
    ASSERT_TRUE(QDir().mkpath(portable));
    ASSERT_TRUE(QDir().mkpath(bin));
    ASSERT_TRUE(QDir().mkpath(root.filePath(QStringLiteral("usr/share/miravel"))));

    const QMap<QString, QString> userData{{QStringLiteral("XDG_DATA_HOME"), xdg}};
    QStringList lines = versionOf(portable, {}, userData);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], QStringLiteral(MIRAVEL_VERSION));
    EXPECT_EQ(lines[1], folderLine(portable, QStringLiteral("プログラムと同じフォルダ")));

    EXPECT_EQ(versionOf(bin, {}, userData).value(1), folderLine(xdg + QStringLiteral("/miravel"), QStringLiteral("ユーザーデータフォルダ")));

    QMap<QString, QString> home = userData;
    home.insert(QStringLiteral("MIRAVEL_HOME"), root.filePath(QStringLiteral("kabu")));
    EXPECT_EQ(versionOf(bin, {}, home).value(1), folderLine(root.filePath(QStringLiteral("kabu")), QStringLiteral("環境変数 MIRAVEL_HOME で指定")));
    EXPECT_EQ(versionOf(bin, {QStringLiteral("--folder"), root.filePath(QStringLiteral("other"))}, home).value(1),
              folderLine(root.filePath(QStringLiteral("other")), QStringLiteral("--folder で指定")));
}

TEST(BatchFolderRule, InstalledCopyInitialisesTheUserDataFolder)
{
    QTemporaryDir root;
    const QString bin = root.filePath(QStringLiteral("usr/bin"));
    ASSERT_TRUE(QDir().mkpath(bin));
    ASSERT_TRUE(QDir().mkpath(root.filePath(QStringLiteral("usr/share/miravel"))));
    const QString copy = QDir(bin).filePath(QStringLiteral("miravel-batch"));
    ASSERT_TRUE(QFile::copy(testing_support::batchToolPath(), copy));

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("MIRAVEL_HOME"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), root.filePath(QStringLiteral("xdg")));
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(copy, {QStringLiteral("init")});
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    EXPECT_TRUE(QFile::exists(root.filePath(QStringLiteral("xdg/miravel/Miravel.mdb"))));
    EXPECT_TRUE(QFile::exists(root.filePath(QStringLiteral("xdg/miravel/Miravel.ini"))));
    EXPECT_FALSE(QFile::exists(QDir(bin).filePath(QStringLiteral("Miravel.mdb")))) << "nothing is kept beside an installed program";
}

} // namespace
