#pragma once

// The ports through which core code talks to the world. Windows bind them to widgets, the batch
// tool to the terminal, tests to scripted fakes.

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <utility>
#include <vector>

enum class PromptIcon
{
    None,
    Information,
    Question,
    Warning,
    Critical
};

class Prompt
{
public:
    virtual ~Prompt() = default;
    // Yes/No question; true only for Yes.
    virtual bool askYesNo(const QString &text, const QString &title, PromptIcon icon = PromptIcon::Information) = 0;
    // A message with an OK button.
    virtual void inform(const QString &text, const QString &title = QString(), PromptIcon icon = PromptIcon::None) = 0;
    // File pickers: the chosen path, or an empty text when cancelled. filter is "説明(*.ext)|*.ext".
    // Picking an existing file to save asks nothing: the caller asks before it overwrites.
    virtual QString pickOpenFile(const QString &filter, const QString &folder) = 0;
    virtual QString pickSaveFile(const QString &filter, const QString &folder, const QString &proposedName) = 0;
    // Folder picker: the chosen folder, or currentFolder unchanged when cancelled.
    virtual QString pickFolder(const QString &title, const QString &currentFolder) = 0;
};

class Progress
{
public:
    virtual ~Progress() = default;
    virtual void setPhase(const QString &text) = 0; // LabFileName
    virtual void setPercent(const QString &text) = 0; // LabPa, already formatted "##"
    virtual void setCaption(const QString &text) { (void)text; }
    // Lets pending window messages run (labels repaint, clicks answered); nothing in the batch tool.
    virtual void yield() { }
    virtual void setBusy(bool busy) { (void)busy; }
};

// A progress that shows nothing.
class NullProgress final : public Progress
{
public:
    void setPhase(const QString &) override { }
    void setPercent(const QString &) override { }
};

class Shell
{
public:
    virtual ~Shell() = default;
    // Opens a file or an address with its associated program; false when the desktop refused.
    virtual bool open(const QString &pathOrUrl) = 0;
    // Starts a program without waiting; false when it could not be started.
    virtual bool start(const QString &program, const QStringList &arguments, const QString &workingFolder) = 0;
};

// Why a fetch gave no body.
enum class HttpFailure
{
    None,
    Status, // the server answered with an error status (a missing file, a server error)
    Connection, // no answer: refused, unknown host, broken before the headers
    TimedOut,
    Cancelled,
    TooLarge, // the body passed the request's size limit and the transfer was stopped
    Incomplete, // the connection closed before the announced body had arrived
    Certificate, // the server's certificate could not be verified: nothing was sent
};

struct HttpResult
{
    bool ok = false; // a whole body arrived with a 2xx status
    int status = 0; // HTTP status, 0 when none
    QByteArray body; // the whole body, or nothing
    QString error; // a description in Japanese when !ok
    HttpFailure failure = HttpFailure::None;
    QByteArray retryAfter; // the answer's Retry-After header (a 429 or 503 says when to ask again)

    // The answer began but cannot be trusted (too large, cut short): unlike a file the server does
    // not have, such an answer is reported to the user.
    bool broken() const { return failure == HttpFailure::TooLarge || failure == HttpFailure::Incomplete; }
};

// "<url> を取得できません（<reason>）。"
inline QString fetchFailureMessage(const QString &url, const HttpResult &result)
{
    return QStringLiteral("%1 を取得できません（%2）。").arg(url, result.error);
}

struct HttpRequest
{
    // Large enough for any file the program fetches; callers pass the limit of their kind of file.
    static constexpr qint64 DefaultMaxBytes = 64LL * 1024 * 1024;

    QString url;
    qint64 maxBytes = DefaultMaxBytes; // a longer body is refused while it arrives
    int timeoutMs = 30000; // for the whole transfer
    std::vector<std::pair<QByteArray, QByteArray>> headers{}; // sent with the request (an API key)
};

class Http
{
public:
    virtual ~Http() = default;
    // Fetches a whole body; an event loop runs while waiting so windows stay responsive.
    virtual HttpResult fetch(const HttpRequest &request) = 0;
    // Starts a fetch and calls done on the caller's thread when it ends.
    virtual void fetchAsync(const HttpRequest &request, std::function<void(const HttpResult &)> done) = 0;
    // Stops every transfer in flight; their results are !ok.
    virtual void cancel() = 0;

    HttpResult fetch(const QString &url, int timeoutMs = 30000)
    {
        return fetch(HttpRequest{url, HttpRequest::DefaultMaxBytes, timeoutMs});
    }
    void fetchAsync(const QString &url, std::function<void(const HttpResult &)> done, int timeoutMs = 30000)
    {
        fetchAsync(HttpRequest{url, HttpRequest::DefaultMaxBytes, timeoutMs}, std::move(done));
    }
};

class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDate today() const = 0;
    virtual QDateTime now() const = 0;
};

class SystemClock final : public Clock
{
public:
    QDate today() const override { return QDate::currentDate(); }
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};
