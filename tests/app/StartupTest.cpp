#include "app/Startup.h"
#include "base/MainModule.h"
#include "base/Settings.h"
#include "base/Version.h"
#include "db/Database.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSysInfo>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace testing_support;

namespace {

Startup::Result prepare(const TempProgramFolder &folder, ScriptedPrompt &prompt)
{
    return Startup::prepareProgramFolder(folder.path(), prompt);
}

TEST(InstanceLock, OneCopyPerProgramFolderUntilItEndsOrDied)
{
    TempProgramFolder folder, other;
    {
        Startup::InstanceLock first(folder.path());
        ASSERT_TRUE(first.tryLock());
        Startup::InstanceLock second(folder.path());
        EXPECT_FALSE(second.tryLock());
        EXPECT_EQ(second.refusal(), Startup::alreadyRunningMessage());
        EXPECT_TRUE(Startup::InstanceLock(other.path()).tryLock()) << "another program folder is another program";
    }
    EXPECT_TRUE(Startup::InstanceLock(folder.path()).tryLock()) << "freed when the first copy ends";
    EXPECT_EQ(Startup::alreadyRunningMessage(), QStringLiteral("ミラベルはすでに起動しています。"));

    // A process that has ended leaves its lock file behind, as a crash would.
    QProcess gone;
    gone.start(QStringLiteral("/bin/true"), {});
    ASSERT_TRUE(gone.waitForFinished(5000));
    const qint64 deadPid = gone.processId() > 0 ? gone.processId() : 999999;
    writeFileBytes(Startup::InstanceLock::lockFilePathFor(folder.path()),
                   QByteArray::number(deadPid) + "\nMiravel\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    EXPECT_TRUE(Startup::InstanceLock(folder.path()).tryLock());

#if defined(Q_OS_UNIX)
    // A lock file that cannot be written is no other copy running.
    QFile::remove(Startup::InstanceLock::lockFilePathFor(folder.path()));
    testing_support::FileSizeLimit nothing(0);
    Startup::InstanceLock unwritable(folder.path());
    EXPECT_FALSE(unwritable.tryLock());
    EXPECT_TRUE(unwritable.refusal().contains(QStringLiteral("ロックファイル"))) << unwritable.refusal().toStdString();
#endif
}

TEST(Startup, FreshFolderGetsFoldersDatabaseAndDefaultSettings)
{
    TempProgramFolder folder;
    QDir(folder.path()).rmdir(QStringLiteral("Data"));
    QDir(folder.path()).rmdir(QStringLiteral("htm"));
    MainModule::ListPicked = false;
    MainModule::PeriodMode = 2;
    ScriptedPrompt prompt;
    const Startup::Result r = prepare(folder, prompt);
    ASSERT_TRUE(r.ok);
    EXPECT_TRUE(r.settingsLoaded);
    EXPECT_TRUE(r.firstRun);
    EXPECT_TRUE(prompt.messages().isEmpty()) << prompt.messages().join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(QFileInfo(folder.filePath(QStringLiteral("Data"))).isDir());
    EXPECT_TRUE(QFileInfo(folder.filePath(QStringLiteral("htm"))).isDir());
    EXPECT_TRUE(db::Database::isOwnDatabase(folder.dbPath()));
    EXPECT_TRUE(MainModule::ListPicked);
    EXPECT_EQ(MainModule::PeriodMode, 1);
    EXPECT_EQ(MainModule::PriceTableName, QStringLiteral("daydata"));
    EXPECT_EQ(MainModule::DBPath, QDir::toNativeSeparators(folder.dbPath()));
    EXPECT_EQ(MainModule::hibiPath, MainModule::ProgramFolder + QStringLiteral("\\Data\\"));
}

TEST(Startup, WhatIsMissingIsMadeAgainAndTheRestStaysByteForByte)
{
    TempProgramFolder folder;
    ScriptedPrompt prompt;
    ASSERT_TRUE(prepare(folder, prompt).ok);
    for (const QString &name : {QStringLiteral("Miravel.ini"), QStringLiteral("Miravel.mdb"), QStringLiteral("htm"), QStringLiteral("Data")}) {
        const QString path = folder.filePath(name);
        ASSERT_TRUE(QFileInfo(path).isDir() ? QDir(folder.path()).rmdir(name) : QFile::remove(path)) << name.toStdString();
        const QByteArray settings = readFileBytes(folder.iniPath()), database = readFileBytes(folder.dbPath());
        const Startup::Result r = prepare(folder, prompt);
        ASSERT_TRUE(r.ok) << name.toStdString();
        EXPECT_TRUE(QFileInfo::exists(path)) << name.toStdString();
        EXPECT_EQ(r.firstRun, name == QLatin1String("Miravel.mdb")) << name.toStdString();
        if (name != QLatin1String("Miravel.ini")) {
            EXPECT_EQ(readFileBytes(folder.iniPath()), settings) << name.toStdString();
        }
        if (name != QLatin1String("Miravel.mdb")) {
            EXPECT_EQ(readFileBytes(folder.dbPath()), database) << name.toStdString();
        }
    }
    EXPECT_EQ(Settings::settingsValue(QStringLiteral("move3")), QStringLiteral("30"));
    db::Database database(folder.dbPath());
    EXPECT_EQ(database.scalar(QStringLiteral("select Count(*) from Shijyo")).toLongLong(), 6);
    EXPECT_TRUE(prompt.messages().isEmpty());
}

TEST(Startup, WithBothFilesPresentOnlyTheVersionKeyIsWritten)
{
    TempProgramFolder folder;
    ScriptedPrompt prompt;
    ASSERT_TRUE(prepare(folder, prompt).ok);
    ASSERT_TRUE(Startup::writeVersionKey());
    Settings::writeSettingsValue(QStringLiteral("Version"), QStringLiteral("0.9.1"));
    const QByteArray settings = readFileBytes(folder.iniPath());
    const QByteArray database = readFileBytes(folder.dbPath());

    const Startup::Result r = prepare(folder, prompt);
    ASSERT_TRUE(r.ok);
    ASSERT_TRUE(Startup::writeVersionKey());
    EXPECT_EQ(readFileBytes(folder.dbPath()), database);
    QByteArray expected = settings;
    expected.replace("Version=0.9.1\r\n", "Version=" + versionText().toLatin1() + "\r\n");
    EXPECT_EQ(readFileBytes(folder.iniPath()), expected);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d+\\.\\d+\\.\\d+$")).match(versionText()).hasMatch());
    EXPECT_TRUE(prompt.messages().isEmpty());
}

// A Miravel.mdb that is not ours (an empty one included): a clear message naming it, start-up
// ends, the file untouched. The engine's own tests go through more kinds of foreign file.
TEST(Startup, ForeignDatabaseIsRefusedAndLeftUntouched)
{
    for (const QByteArray &foreign : {QByteArray(), QByteArray("[Miravel]\r\nmove1=5\r\n")}) {
        TempProgramFolder folder;
        writeFileBytes(folder.dbPath(), foreign);
        ScriptedPrompt prompt;
        EXPECT_FALSE(prepare(folder, prompt).ok);
        EXPECT_EQ(readFileBytes(folder.dbPath()), foreign);
        ASSERT_EQ(prompt.messages().size(), 1);
        EXPECT_TRUE(prompt.messages().first().contains(QDir::toNativeSeparators(folder.dbPath())));
        EXPECT_TRUE(prompt.messages().first().contains(QStringLiteral("ミラベルのデータベースではない")));
        EXPECT_FALSE(QFile::exists(folder.iniPath())) << "nothing after the refusal runs";
    }
}

// Beside a whole compaction backup, a missing or broken database is never replaced by an empty one:
// the backup is offered, and No leaves every file as it is.
TEST(Startup, AMissingOrBrokenDatabaseBesideTheCompactionBackupIsOfferedItsRestore)
{
    TempProgramFolder folder;
    folder.createDatabase();
    executeSql(QStringLiteral("insert into Mei (コード, 市場コード, 銘柄, 出来高単位, 株価単位) values (1301, 1, '極洋', 1, 1)"));
    db::Database::closeAll();
    const QString old = folder.filePath(QStringLiteral("Miravel.old"));
    ASSERT_TRUE(QFile::copy(folder.dbPath(), old));

    for (const QByteArray &broken : {QByteArray(), QByteArray("\0\0\0\0")}) {
        writeFileBytes(folder.dbPath(), broken);
        ScriptedPrompt refusing;
        refusing.answerNo();
        EXPECT_FALSE(prepare(folder, refusing).ok);
        ASSERT_EQ(refusing.questions().size(), 1);
        EXPECT_TRUE(refusing.questions().first().contains(QDir::toNativeSeparators(old)));
        EXPECT_EQ(readFileBytes(folder.dbPath()), broken);
    }
    QFile::remove(folder.dbPath());
    ScriptedPrompt refusing;
    refusing.answerNo();
    EXPECT_FALSE(prepare(folder, refusing).ok);
    EXPECT_FALSE(QFile::exists(folder.dbPath())) << "no empty database in its place";

    ScriptedPrompt accepting;
    accepting.answerYes();
    const Startup::Result result = prepare(folder, accepting);
    EXPECT_TRUE(result.ok);
    EXPECT_FALSE(result.firstRun) << "a restored database is no first start";
    EXPECT_EQ(accepting.messages(), QStringList{QStringLiteral("復元終了しました。")});
    EXPECT_EQ(scalarOf(QStringLiteral("select Count(*) from Mei")).toInt(), 1);
}

TEST(Startup, ReadOnlyDatabaseIsRefusedAndLeftUntouched)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "file permissions do not bind the superuser";
    TempProgramFolder folder;
    ScriptedPrompt prompt;
    ASSERT_TRUE(prepare(folder, prompt).ok);
    const QByteArray database = readFileBytes(folder.dbPath());
    ASSERT_TRUE(QFile::setPermissions(folder.dbPath(), QFile::ReadOwner | QFile::ReadUser));
    const Startup::Result r = prepare(folder, prompt);
    QFile::setPermissions(folder.dbPath(), QFile::ReadOwner | QFile::WriteOwner);
    EXPECT_FALSE(r.ok);
    ASSERT_EQ(prompt.messages().size(), 1);
    EXPECT_TRUE(prompt.messages().first().contains(QStringLiteral("読み取り専用")));
    EXPECT_EQ(readFileBytes(folder.dbPath()), database);
}

TEST(Startup, FolderThatCannotBeCreatedEndsWithAMessage)
{
    TempProgramFolder folder;
    ASSERT_TRUE(QDir(folder.path()).rmdir(QStringLiteral("htm")));
    writeFileBytes(folder.filePath(QStringLiteral("htm")), "a file in the way");
    ScriptedPrompt prompt;
    const Startup::Result r = prepare(folder, prompt);
    EXPECT_FALSE(r.ok);
    ASSERT_EQ(prompt.messages().size(), 1);
    EXPECT_EQ(prompt.messages().first(),
              QStringLiteral("フォルダ %1 を作成できません。\n終了します。")
                  .arg(QDir::toNativeSeparators(folder.filePath(QStringLiteral("htm")))));
    EXPECT_FALSE(QFile::exists(folder.dbPath()));
}

TEST(Startup, SettingsFileThatCannotBeCreatedEndsWithAMessage)
{
    TempProgramFolder folder;
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("Miravel.ini"))); // a folder in the way
    ScriptedPrompt prompt;
    const Startup::Result r = prepare(folder, prompt);
    EXPECT_FALSE(r.ok);
    ASSERT_EQ(prompt.messages().size(), 1);
    EXPECT_EQ(prompt.messages().first(), QStringLiteral("ファイル %1 を書き込めません。(同じ名前のフォルダがあります)\n終了します。").arg(QDir::toNativeSeparators(folder.filePath(QStringLiteral("Miravel.ini")))));
}

TEST(Startup, BadSettingValueIsReportedButStartUpGoesOn)
{
    TempProgramFolder folder;
    ScriptedPrompt prompt;
    ASSERT_TRUE(prepare(folder, prompt).ok);
    Settings::writeSettingsValue(QStringLiteral("DelJyoho"), QStringLiteral("many"));
    const Startup::Result r = prepare(folder, prompt);
    EXPECT_TRUE(r.ok);
    EXPECT_FALSE(r.settingsLoaded);
    EXPECT_EQ(prompt.messages(), QStringList{QStringLiteral("設定 DelJyoho の値 'many' を数値に変換できません。\n既定値に戻しました。")});
}

} // namespace
