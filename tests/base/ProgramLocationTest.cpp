#include "base/ProgramLocation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

using ProgramLocation::Origin;

namespace {

QString native(const QString &path)
{
    return QDir::toNativeSeparators(QDir::cleanPath(path));
}

void touch(const QString &path)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
}

TEST(ProgramLocation, FolderOptionThenEnvironmentThenPortableThenUserData)
{
    QTemporaryDir root;
    const QString exe = root.filePath(QStringLiteral("portable"));
    const QString user = root.filePath(QStringLiteral("xdg/miravel"));
    ASSERT_TRUE(QDir().mkpath(exe));

    ProgramLocation::Inputs in{root.filePath(QStringLiteral("opt/./kabu")), root.filePath(QStringLiteral("env")), exe, user};
    ProgramLocation::Choice c = ProgramLocation::choose(in);
    EXPECT_EQ(c.origin, Origin::Option);
    EXPECT_EQ(c.folder, native(root.filePath(QStringLiteral("opt/kabu"))));

    in.optionFolder.clear();
    c = ProgramLocation::choose(in);
    EXPECT_EQ(c.origin, Origin::Environment);
    EXPECT_EQ(c.folder, native(root.filePath(QStringLiteral("env"))));

    // A writable folder of an executable that is not installed is used as it is.
    in.environmentFolder.clear();
    c = ProgramLocation::choose(in);
    EXPECT_EQ(c.origin, Origin::Portable);
    EXPECT_EQ(c.folder, native(exe));

    // The executable's folder missing (or unwritable) sends the data to the user's folder.
    in.executableFolder = root.filePath(QStringLiteral("nowhere"));
    c = ProgramLocation::choose(in);
    EXPECT_EQ(c.origin, Origin::UserData);
    EXPECT_EQ(c.folder, native(user));

    // A relative folder given on the command line is taken from the current folder.
    in.optionFolder = QStringLiteral("kabu");
    EXPECT_EQ(ProgramLocation::choose(in).folder, native(QDir::current().filePath(QStringLiteral("kabu"))));
}

TEST(ProgramLocation, InstalledLayoutKeepsNothingBesideTheExecutableUnlessItHoldsSettings)
{
    QTemporaryDir root;
    const QString bin = root.filePath(QStringLiteral("usr/bin"));
    ASSERT_TRUE(QDir().mkpath(bin));
    ProgramLocation::Inputs in{{}, {}, bin, root.filePath(QStringLiteral("home/.local/share/miravel"))};

    // A bin folder alone is a portable folder like any other.
    EXPECT_FALSE(ProgramLocation::isInstalledLayout(bin));
    EXPECT_EQ(ProgramLocation::choose(in).origin, Origin::Portable);

    // With the package's shared files beside it, even a writable bin (an administrator's run) is not used.
    ASSERT_TRUE(QDir().mkpath(root.filePath(QStringLiteral("usr/share/miravel"))));
    EXPECT_TRUE(ProgramLocation::isInstalledLayout(bin));
    EXPECT_EQ(ProgramLocation::choose(in).origin, Origin::UserData);

    // A Miravel.ini put there on purpose keeps the copy portable.
    touch(QDir(bin).filePath(QStringLiteral("Miravel.ini")));
    EXPECT_EQ(ProgramLocation::choose(in).origin, Origin::Portable);

    if (geteuid() != 0) { // the administrator may write anywhere, so only a user sees a read-only folder
        const QString readOnly = root.filePath(QStringLiteral("ro"));
        ASSERT_TRUE(QDir().mkpath(readOnly));
        QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ExeOwner);
        in.executableFolder = readOnly;
        EXPECT_EQ(ProgramLocation::choose(in).origin, Origin::UserData);
        QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
}

TEST(ProgramLocation, UserDataFolderFollowsXdgDataHome)
{
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    const bool wasSet = qEnvironmentVariableIsSet("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", "/srv/data");
    EXPECT_EQ(ProgramLocation::userDataFolder(), native(QStringLiteral("/srv/data/miravel")));
    qunsetenv("XDG_DATA_HOME");
    EXPECT_EQ(ProgramLocation::userDataFolder(), native(QDir::home().filePath(QStringLiteral(".local/share/miravel"))));
    qputenv("XDG_DATA_HOME", "relative/data"); // invalid by the XDG rules
    EXPECT_EQ(ProgramLocation::userDataFolder(), native(QDir::home().filePath(QStringLiteral(".local/share/miravel"))));
    if (wasSet)
        qputenv("XDG_DATA_HOME", saved);
    else
        qunsetenv("XDG_DATA_HOME");
}

TEST(ProgramLocation, FolderOptionIsTakenOutOfTheArguments)
{
    QString folder;
    QStringList args{QStringLiteral("7203"), QStringLiteral("--folder"), QStringLiteral("/k"), QStringLiteral("x")};
    ASSERT_TRUE(ProgramLocation::takeFolderOption(args, &folder));
    EXPECT_EQ(folder, QStringLiteral("/k"));
    EXPECT_EQ(args, (QStringList{QStringLiteral("7203"), QStringLiteral("x")}));

    folder.clear();
    args = {QStringLiteral("--folder=/j")};
    ASSERT_TRUE(ProgramLocation::takeFolderOption(args, &folder));
    EXPECT_EQ(folder, QStringLiteral("/j"));
    EXPECT_TRUE(args.isEmpty());

    args = {QStringLiteral("--folder")};
    EXPECT_FALSE(ProgramLocation::takeFolderOption(args, &folder));

    folder.clear();
    args = {QStringLiteral("7203")};
    ASSERT_TRUE(ProgramLocation::takeFolderOption(args, &folder));
    EXPECT_TRUE(folder.isEmpty());
}

TEST(ProgramLocation, EnsureFolderCreatesTheUserFolderOrSaysWhyNot)
{
    QTemporaryDir root;
    const ProgramLocation::Choice fresh{native(root.filePath(QStringLiteral("a/b/miravel"))), Origin::UserData};
    QString error;
    EXPECT_TRUE(ProgramLocation::ensureFolder(fresh, &error));
    EXPECT_TRUE(QFileInfo(fresh.folder).isDir());

    touch(root.filePath(QStringLiteral("file")));
    const ProgramLocation::Choice blocked{native(root.filePath(QStringLiteral("file/miravel"))), Origin::UserData};
    EXPECT_FALSE(ProgramLocation::ensureFolder(blocked, &error));
    EXPECT_EQ(error, QStringLiteral("プログラムフォルダ %1 を作成できません。").arg(blocked.folder));
}

} // namespace
