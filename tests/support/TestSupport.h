#pragma once

// Test support: a fresh program folder per test, code-page-932 fixture files, a scripted prompt,
// a fixed clock and a recording progress.

#include "base/Ports.h"

#include <QByteArray>
#include <QDate>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>

#if defined(Q_OS_UNIX)
#include <csignal>
#include <sys/resource.h>
#endif

#include <deque>
#include <functional>
#include <memory>
#include <vector>

namespace testing_support {

// A temporary program folder with Data/ and htm/; MainModule paths point into it while it lives.
class TempProgramFolder
{
public:
    TempProgramFolder();
    ~TempProgramFolder();
    QString path() const;
    QString filePath(const QString &relative) const;
    QString dbPath() const;
    QString iniPath() const;
    // Creates the database with the schema (CreateDatabaseFile).
    void createDatabase() const;

private:
    QTemporaryDir m_dir;
};

// The miravel-batch program built beside the test programs; empty when there is none. Makes the
// application object QProcess wants when the test program has none yet (it lives for the run).
QString batchToolPath();

// A statement run on the program's database (MainModule::DBPath), and the first value a query
// there gives.
void executeSql(const QString &sql);
QVariant scalarOf(const QString &sql);
// The number of the database error f raises (its description must not be empty); 0 when it raises
// none.
int dbErrorNumberOf(const std::function<void()> &f);

// Writes lines in code page 932, each ended by CR LF (lineEnd overrides it for malformed fixtures).
void writeCp932File(const QString &path, const QStringList &lines, const QString &lineEnd = QStringLiteral("\r\n"));
QByteArray readFileBytes(const QString &path);
// Writes the bytes as they are, replacing the file; fails the running test when it cannot.
void writeFileBytes(const QString &path, const QByteArray &bytes);
// A published tree as its clients see it: every file by its path under root, except the quote
// pages' previous copies under .previous/.
QMap<QString, QByteArray> publishedTreeOf(const QString &root);

struct PromptRecord
{
    enum Kind
    {
        Question,
        Message,
        OpenFile,
        SaveFile,
        Folder
    } kind;
    QString title;
    QString text;
};

// Answers questions in the order they were scripted and records every message. An unscripted
// question fails the running test.
class ScriptedPrompt final : public Prompt
{
public:
    void answerYes() { m_answers.push_back(QStringLiteral("yes")); }
    void answerNo() { m_answers.push_back(QStringLiteral("no")); }
    void answerPath(const QString &path) { m_answers.push_back(path); }

    bool askYesNo(const QString &text, const QString &title, PromptIcon icon) override;
    void inform(const QString &text, const QString &title, PromptIcon icon) override;
    QString pickOpenFile(const QString &filter, const QString &folder) override;
    QString pickSaveFile(const QString &filter, const QString &folder, const QString &proposedName) override;
    QString pickFolder(const QString &title, const QString &currentFolder) override;

    const std::vector<PromptRecord> &records() const { return m_records; }
    // Texts of the messages (not questions) in order.
    QStringList messages() const;
    QStringList questions() const;
    bool allAnswersUsed() const { return m_answers.empty(); }
    // Runs while a message is up, as a look at the windows behind the message box.
    std::function<void(const QString &text)> whileInforming;

private:
    QString nextAnswer(const QString &what);
    std::deque<QString> m_answers;
    std::vector<PromptRecord> m_records;
};

class FixedClock final : public Clock
{
public:
    explicit FixedClock(QDate today, QTime time = QTime(10, 0))
        : m_today(today), m_time(time) { }
    QDate today() const override { return m_today; }
    QDateTime now() const override { return QDateTime(m_today, m_time); }
    void set(QDate today) { m_today = today; }

private:
    QDate m_today;
    QTime m_time;
};

// Records every phase and percent text.
class RecordingProgress final : public Progress
{
public:
    void setPhase(const QString &text) override { phases.append(text); }
    void setPercent(const QString &text) override { percents.append(text); }
    void setCaption(const QString &text) override { captions.append(text); }
    void yield() override { ++yields; }
    void setBusy(bool busy) override { busyChanges.append(busy); }
    QStringList phases, percents, captions;
    QList<bool> busyChanges;
    int yields = 0;
};

#if defined(Q_OS_UNIX)
// Files of this process may not grow past limit bytes while it lives; writes beyond fail with
// EFBIG instead of killing the process.
class FileSizeLimit final
{
public:
    explicit FileSizeLimit(rlim_t limit)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lower = m_old;
        lower.rlim_cur = limit;
        setrlimit(RLIMIT_FSIZE, &lower);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};
#endif

} // namespace testing_support
