#include "net/HttpClient.h"

#include "base/Version.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QTimer>
#include <QUrl>

HttpClient::HttpClient(QObject *parent)
    : QObject(parent), m_manager(new QNetworkAccessManager(this)) { }

HttpClient::~HttpClient()
{
    cancel();
}

QNetworkReply *HttpClient::start(const QString &url, int timeoutMs)
{
    QNetworkRequest request{QUrl(url, QUrl::TolerantMode)};
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setHeader(QNetworkRequest::UserAgentHeader,
                      QStringLiteral("Miravel/") + versionText());
    QNetworkReply *reply = m_manager->get(request);
    m_active.insert(reply);
    if (timeoutMs > 0) {
        auto *timer = new QTimer(reply);
        timer->setSingleShot(true);
        connect(timer, &QTimer::timeout, this, [this, reply] {
            if (m_active.contains(reply) && reply->isRunning()) {
                m_timedOut.insert(reply);
                reply->abort();
            }
        });
        timer->start(timeoutMs);
    }
    return reply;
}

HttpResult HttpClient::resultOf(QNetworkReply *reply) const
{
    HttpResult r;
    r.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (m_timedOut.contains(reply)) {
        r.error = QStringLiteral("時間内に応答がありませんでした。");
        return r;
    }
    if (m_cancelled.contains(reply)) {
        r.error = QStringLiteral("転送を中止しました。");
        return r;
    }
    if (reply->error() != QNetworkReply::NoError) {
        r.error = reply->errorString();
        return r;
    }
    if (r.status < 200 || r.status > 299) {
        r.error = QStringLiteral("HTTP %1").arg(r.status);
        return r;
    }
    r.ok = true;
    r.body = reply->readAll();
    return r;
}

HttpResult HttpClient::fetch(const QString &url, int timeoutMs)
{
    QNetworkReply *reply = start(url, timeoutMs);
    if (reply->isRunning()) {
        QEventLoop loop;
        connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        loop.exec();
    }
    HttpResult result = resultOf(reply);
    m_active.remove(reply);
    m_timedOut.remove(reply);
    m_cancelled.remove(reply);
    reply->deleteLater();
    return result;
}

void HttpClient::fetchAsync(const QString &url, std::function<void(const HttpResult &)> done, int timeoutMs)
{
    QNetworkReply *reply = start(url, timeoutMs);
    connect(reply, &QNetworkReply::finished, this, [this, reply, done = std::move(done)] {
        const HttpResult result = resultOf(reply);
        m_active.remove(reply);
        m_timedOut.remove(reply);
        m_cancelled.remove(reply);
        reply->deleteLater();
        if (done)
            done(result);
    });
}

void HttpClient::cancel()
{
    const auto active = m_active;
    for (QNetworkReply *reply : active) {
        if (reply->isRunning()) {
            m_cancelled.insert(reply);
            reply->abort();
        }
    }
}
