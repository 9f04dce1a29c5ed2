// Starts the real program offscreen from a copy in a fresh folder (its program folder) and ends it
// through its test hook, MIRAVEL_TEST_QUIT_AFTER_SHOWN.

#include "app/Startup.h"
#include "base/MainModule.h"
#include "base/Version.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

namespace {

class ProgramSmoke : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const QString built = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../Miravel"));
        if (!QFileInfo::exists(built))
            GTEST_SKIP() << "the Miravel program is not built beside the tests";
        program = QDir(dir.path()).filePath(QStringLiteral("Miravel"));
        ASSERT_TRUE(QFile::copy(built, program));
    }

    QProcess *start(bool quitAfterShown, const QString &executable = QString(), const QStringList &arguments = {},
                    const QMap<QString, QString> &environment = {})
    {
        auto *p = new QProcess;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("MIRAVEL_HOME"));
        for (auto it = environment.begin(); it != environment.end(); ++it)
            env.insert(it.key(), it.value());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        if (quitAfterShown)
            env.insert(QStringLiteral("MIRAVEL_TEST_QUIT_AFTER_SHOWN"), QStringLiteral("1"));
        p->setProcessEnvironment(env);
        p->start(executable.isEmpty() ? program : executable, arguments);
        processes.emplace_back(p);
        return p;
    }

    void TearDown() override
    {
        for (auto &p : processes) {
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(5000);
            }
        }
        // A killed copy leaves its lock file behind; it names this folder only.
        QFile::remove(Startup::InstanceLock::lockFilePathFor(dir.path()));
    }

    QString file(const QString &name) const { return QDir(dir.path()).filePath(name); }

    QTemporaryDir dir;
    QString program;
    std::vector<std::unique_ptr<QProcess>> processes;
};

TEST_F(ProgramSmoke, FirstStartPreparesTheFolderAndShowsTheMainWindow)
{
    QProcess *p = start(true);
    ASSERT_TRUE(p->waitForFinished(30000));
    const QString err = QString::fromUtf8(p->readAllStandardError());
    EXPECT_EQ(p->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p->exitCode(), 0) << err.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral("startup_ms="))) << err.toStdString();
    // No message before the main window is shown (closing it afterwards may ask its questions,
    // which the hook answers No).
    EXPECT_FALSE(err.left(err.indexOf(QStringLiteral("startup_ms="))).contains(QStringLiteral("message:")))
        << err.toStdString();
    // What the folder gets is the start-up code's; the program itself adds its version key.
    EXPECT_TRUE(QFileInfo::exists(file(QStringLiteral("Miravel.mdb"))));
    const QByteArray ini = testing_support::readFileBytes(file(QStringLiteral("Miravel.ini")));
    EXPECT_TRUE(ini.contains("\r\nVersion=" + versionText().toLatin1() + "\r\n")) << ini.toStdString();
}

TEST_F(ProgramSmoke, InstalledCopyKeepsItsDataInTheUserFolderUnlessTheFolderIsGiven)
{
    // An installed layout: bin/ beside share/miravel/.
    ASSERT_TRUE(QDir().mkpath(file(QStringLiteral("usr/bin"))));
    ASSERT_TRUE(QDir().mkpath(file(QStringLiteral("usr/share/miravel"))));
    const QString installed = file(QStringLiteral("usr/bin/Miravel"));
    ASSERT_TRUE(QFile::copy(program, installed));
    const auto run = [&](const QStringList &arguments, const QMap<QString, QString> &environment) {
        QProcess *p = start(true, installed, arguments, environment);
        EXPECT_TRUE(p->waitForFinished(30000));
        EXPECT_EQ(p->exitCode(), 0) << p->readAllStandardError().toStdString();
    };
    const QMap<QString, QString> user{{QStringLiteral("XDG_DATA_HOME"), file(QStringLiteral("xdg"))}};
    run({}, user);
    EXPECT_TRUE(QFileInfo::exists(file(QStringLiteral("xdg/miravel/Miravel.mdb"))));
    EXPECT_FALSE(QFileInfo::exists(file(QStringLiteral("usr/bin/Miravel.mdb"))));

    QMap<QString, QString> home = user;
    home.insert(QStringLiteral("MIRAVEL_HOME"), file(QStringLiteral("home")));
    run({}, home);
    EXPECT_TRUE(QFileInfo::exists(file(QStringLiteral("home/Miravel.ini"))));
    run({QStringLiteral("--folder"), file(QStringLiteral("given"))}, home);
    EXPECT_TRUE(QFileInfo::exists(file(QStringLiteral("given/Miravel.mdb"))));
}

TEST_F(ProgramSmoke, ForeignDatabaseEndsTheProgramAndStaysUntouched)
{
    const QByteArray foreign("not a database of ours\r\n");
    testing_support::writeFileBytes(file(QStringLiteral("Miravel.mdb")), foreign);
    QProcess *p = start(true);
    ASSERT_TRUE(p->waitForFinished(30000));
    const QString err = QString::fromUtf8(p->readAllStandardError());
    EXPECT_EQ(p->exitCode(), 1);
    EXPECT_TRUE(err.contains(QStringLiteral("ミラベルのデータベースではない"))) << err.toStdString();
    EXPECT_FALSE(err.contains(QStringLiteral("startup_ms=")));
    EXPECT_EQ(testing_support::readFileBytes(file(QStringLiteral("Miravel.mdb"))), foreign);
}

TEST_F(ProgramSmoke, SecondCopyIsRefused)
{
    QProcess *first = start(false);
    ASSERT_TRUE(first->waitForStarted(10000));
    // Wait until the first copy holds its lock and has written its settings.
    QElapsedTimer waited;
    waited.start();
    while (!QFileInfo::exists(Startup::InstanceLock::lockFilePathFor(dir.path()))
           || !QFileInfo::exists(file(QStringLiteral("Miravel.ini")))) {
        ASSERT_LT(waited.elapsed(), 30000) << "the first copy did not start";
        ASSERT_EQ(first->state(), QProcess::Running);
        QThread::msleep(20);
    }
    QProcess *second = start(true);
    ASSERT_TRUE(second->waitForFinished(30000));
    const QString err = QString::fromUtf8(second->readAllStandardError());
    EXPECT_EQ(second->exitCode(), 0);
    EXPECT_TRUE(err.contains(QStringLiteral("message: ミラベルはすでに起動しています。"))) << err.toStdString();
    EXPECT_FALSE(err.contains(QStringLiteral("startup_ms=")));
    EXPECT_EQ(first->state(), QProcess::Running);
}

} // namespace
