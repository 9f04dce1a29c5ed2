#pragma once

// The quote fetch of one board: Timer1 (500 ms) hands the board's issues in turn to two channels,
// each with at most one page in flight; each page's handler stores the price, change and volume
// on the row. The fetch ends when every issue was requested and both channels are idle,
// with "取得終了しました。" and, when some issues got no quote, how many and why. A database write
// that fails ends the fetch at once with the error and no end message.

#include "board/BoardStore.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class Clock;
class Http;
class Prompt;
class QTimer;
namespace db {
class Database;
}

namespace board {

class InetHttp;

// The request address of an issue: "http://" + address + "/q?s=" + code + "&d=v2", or, when the
// address holds "{code}", "http://" + address with "{code}" replaced by the code.
QString quoteUrl(const QString &address, qint32 code);

class QuoteFetch final : public QObject
{
    Q_OBJECT

public:
    static constexpr int TimerIntervalMs = 500;
    static constexpr int DefaultTimeoutMs = 20000;

    QuoteFetch(const QString &dbPath, int kind, Http &http, Prompt &prompt, const Clock &clock,
               QObject *parent = nullptr);
    ~QuoteFetch() override;

    void setTimeoutMs(int timeoutMs) { m_timeoutMs = timeoutMs; }

    // CmdInet: asks, checks the connection, stamps the fetch time, clears the current quotes and
    // starts Timer1. False when it did not start (answered No, no connection, no issues, running).
    bool start();
    // Timer1 runs (issues are still waiting to be requested), or the fetch is trying the host.
    bool timerRunning() const;
    // Timer1 runs or a page is still awaited.
    bool isFetching() const;
    // After the end: the issues of the last fetch that got no quote, and whether an error ended it.
    int failedCount() const { return int(m_failures.size()); }
    const QStringList &failures() const { return m_failures; }
    bool endedByError() const { return m_endedByError; }

Q_SIGNALS:
    void fetchTimeChanged(const QString &text); // LblboardDate
    void quoteTimeChanged(const QString &text); // LblInt
    void rowsChanged(); // a quote was stored: refresh the grid
    void busyChanged(bool busy); // hourglass on / off
    void finished(); // after the end message or the error

private:
    void Timer1_Timer();
    void GetHttp1_Gethtm1(const QString &html, qint32 cookie);
    void GetHttp2_Gethtm2(const QString &html, qint32 cookie);
    void handlePage(int channel, const QString &html, qint32 cookie);
    void endIfDone();
    void stopTimer();
    // Ends the fetch: the hourglass off, a dial-up line hung up, the message shown.
    void end(const QString &message, bool error);
    // A write failed: pages still awaited are dropped and the fetch ends with the error.
    void abandon(const QString &error);
    QString endMessage() const;

    QString m_dbPath;
    int m_kind;
    Http &m_http;
    Prompt &m_prompt;
    const Clock &m_clock;
    int m_timeoutMs = DefaultTimeoutMs;
    QString m_address;
    QTimer *Timer1;
    std::unique_ptr<db::Database> m_database;
    std::vector<qint32> m_codes;
    std::size_t m_next = 0;
    bool m_connecting = false;
    bool m_busy1 = false;
    bool m_busy2 = false;
    InetHttp *GetHttp1 = nullptr;
    InetHttp *GetHttp2 = nullptr;
    QStringList m_failures; // why each issue without a quote got none
    bool m_endedByError = false;
};

} // namespace board
