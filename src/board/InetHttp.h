#pragma once

// The page getter of the quote fetch: DL() returns at once and the page arrives later through the
// channel's event, as text (EUC-JP converted and read as Shift_JIS), or as "" when the download
// failed in any way (time-out, refused connection, error status, cut-off body, a page beyond
// QuotePageLimit); failure() then says why, naming the address.

#include <QObject>
#include <QPointer>
#include <QString>

class Http;

namespace board {

// A quote page of one issue is some tens, at most a few hundred, kilobytes.
constexpr qint64 QuotePageLimit = qint64(2) * 1024 * 1024;

class InetHttp final : public QObject
{
    Q_OBJECT

public:
    InetHttp(Http &http, int timeoutMs, QObject *parent = nullptr);

    // Starts the download of url on channel 1 or 2 with a one-shot timer, so the caller has
    // returned before the transfer begins. The cookie comes back with the page.
    void DL(int channel, qint32 cookie, const QString &url);

    void GetHttp1(const QString &html);
    void GetHttp2(const QString &html);

    // Why the last download of the channel gave no page; empty when it gave one.
    QString failure(int channel) const { return channel == 1 ? m_failure1 : m_failure2; }

Q_SIGNALS:
    void Gethtm1(const QString &html, qint32 cookie);
    void Gethtm2(const QString &html, qint32 cookie);

private:
    void download(int channel, const QString &url);

    Http &m_http;
    int m_timeoutMs;
    qint32 m_cookie1 = 0;
    qint32 m_cookie2 = 0;
    QString m_failure1;
    QString m_failure2;
};

} // namespace board
