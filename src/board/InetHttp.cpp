#include "board/InetHttp.h"

#include "base/Ports.h"
#include "board/QuoteParser.h"

#include <QTimer>

namespace board {

InetHttp::InetHttp(Http &http, int timeoutMs, QObject *parent)
    : QObject(parent), m_http(http), m_timeoutMs(timeoutMs) { }

void InetHttp::DL(int channel, qint32 cookie, const QString &url)
{
    (channel == 1 ? m_cookie1 : m_cookie2) = cookie;
    QTimer::singleShot(1, this, [this, channel, url] { download(channel, url); });
}

void InetHttp::download(int channel, const QString &url)
{
    QPointer<InetHttp> self(this);
    m_http.fetchAsync(HttpRequest{url, QuotePageLimit, m_timeoutMs}, [self, channel, url](const HttpResult &result) {
        if (!self)
            return; // the fetch that asked for the page has ended
        (channel == 1 ? self->m_failure1 : self->m_failure2) = result.ok ? QString() : fetchFailureMessage(url, result);
        const QString html = result.ok ? pageText(result.body) : QString();
        if (channel == 1)
            self->GetHttp1(html);
        else
            self->GetHttp2(html);
    });
}

void InetHttp::GetHttp1(const QString &html)
{
    Q_EMIT Gethtm1(html, m_cookie1);
}
void InetHttp::GetHttp2(const QString &html)
{
    Q_EMIT Gethtm2(html, m_cookie2);
}

} // namespace board
