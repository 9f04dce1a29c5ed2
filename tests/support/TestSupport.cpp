#include "support/TestSupport.h"

#include "base/MainModule.h"
#include "base/TextFile.h"
#include "db/Database.h"
#include "db/DbError.h"
#include "db/Schema.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace testing_support {

TempProgramFolder::TempProgramFolder()
{
    MainModule::reset();
    QDir(m_dir.path()).mkdir(QStringLiteral("Data"));
    QDir(m_dir.path()).mkdir(QStringLiteral("htm"));
    MainModule::setProgramFolder(m_dir.path());
    MainModule::hibiPath = QDir::toNativeSeparators(m_dir.path() + QStringLiteral("/Data/"));
}

TempProgramFolder::~TempProgramFolder()
{
    db::Database::closeAll();
    MainModule::reset();
}

QString TempProgramFolder::path() const
{
    return m_dir.path();
}
QString TempProgramFolder::filePath(const QString &relative) const
{
    return QDir(m_dir.path()).filePath(relative);
}
QString TempProgramFolder::dbPath() const
{
    return filePath(QStringLiteral("Miravel.mdb"));
}
QString TempProgramFolder::iniPath() const
{
    return filePath(QStringLiteral("Miravel.ini"));
}

void TempProgramFolder::createDatabase() const
{
    ScriptedPrompt prompt;
    ASSERT_TRUE(db::CreateDatabaseFile(dbPath(), &prompt));
}

QString batchToolPath()
{
    static int argc = 1;
    static char name[] = "miravel_tests";
    static char *argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        new QCoreApplication(argc, argv);
    const QString dir = QCoreApplication::applicationDirPath();
    for (const QString &folder : {dir + QStringLiteral("/.."), dir + QStringLiteral("/../.."), dir}) {
        for (const QString &name : {QStringLiteral("/miravel-batch"), QStringLiteral("/miravel-batch.exe")}) {
            const QFileInfo candidate(folder + name);
            if (candidate.isFile() && candidate.isExecutable())
                return candidate.canonicalFilePath();
        }
    }
    return {};
}

void executeSql(const QString &sql)
{
    db::Database database(MainModule::DBPath);
    database.execute(sql);
}

QVariant scalarOf(const QString &sql)
{
    db::Database database(MainModule::DBPath);
    return database.scalar(sql);
}

QMap<QString, QByteArray> publishedTreeOf(const QString &root)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString relative = QDir(root).relativeFilePath(file);
        if (!relative.startsWith(QLatin1String(".previous/")))
            files.insert(relative, readFileBytes(file));
    }
    return files;
}

int dbErrorNumberOf(const std::function<void()> &f)
{
    try {
        f();
    } catch (const db::DbError &e) {
        EXPECT_FALSE(e.description().isEmpty());
        return e.number();
    }
    return 0;
}

void writeCp932File(const QString &path, const QStringList &lines, const QString &lineEnd)
{
    QString all;
    for (const QString &l : lines)
        all += l + lineEnd;
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    f.write(TextFile::encode(all));
}

QByteArray readFileBytes(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

void writeFileBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    f.write(bytes);
}

QString ScriptedPrompt::nextAnswer(const QString &what)
{
    if (m_answers.empty()) {
        ADD_FAILURE() << "unexpected prompt: " << what.toStdString();
        return {};
    }
    QString a = m_answers.front();
    m_answers.pop_front();
    return a;
}

bool ScriptedPrompt::askYesNo(const QString &text, const QString &title, PromptIcon)
{
    m_records.push_back({PromptRecord::Question, title, text});
    return nextAnswer(title + QStringLiteral(": ") + text) == QLatin1String("yes");
}

void ScriptedPrompt::inform(const QString &text, const QString &title, PromptIcon)
{
    m_records.push_back({PromptRecord::Message, title, text});
    if (whileInforming)
        whileInforming(text);
}

QString ScriptedPrompt::pickOpenFile(const QString &filter, const QString &)
{
    m_records.push_back({PromptRecord::OpenFile, QString(), filter});
    return nextAnswer(QStringLiteral("open file ") + filter);
}

QString ScriptedPrompt::pickSaveFile(const QString &filter, const QString &, const QString &proposedName)
{
    m_records.push_back({PromptRecord::SaveFile, proposedName, filter});
    return nextAnswer(QStringLiteral("save file ") + filter);
}

QString ScriptedPrompt::pickFolder(const QString &title, const QString &currentFolder)
{
    m_records.push_back({PromptRecord::Folder, title, currentFolder});
    const QString a = nextAnswer(QStringLiteral("folder ") + title);
    return a.isEmpty() ? currentFolder : a;
}

QStringList ScriptedPrompt::messages() const
{
    QStringList out;
    for (const auto &r : m_records)
        if (r.kind == PromptRecord::Message)
            out.append(r.text);
    return out;
}

QStringList ScriptedPrompt::questions() const
{
    QStringList out;
    for (const auto &r : m_records)
        if (r.kind == PromptRecord::Question)
            out.append(r.text);
    return out;
}

} // namespace testing_support
