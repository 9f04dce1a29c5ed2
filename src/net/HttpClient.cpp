#include "net/HttpClient.h"

#include "base/Version.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslConfiguration>
#include <QSslError>
#include <QSslSocket>
#include <QTimer>
#include <QUrl>

#include <algorithm>

namespace {

// How far the network stack may read ahead of the body taken so far.
constexpr qint64 ReadAhead = qint64(1024) * 1024;

bool isSuccess(int status)
{
    return status >= 200 && status <= 299;
}

} // namespace

HttpClient::HttpClient(QObject *parent)
    : QObject(parent), m_manager(new QNetworkAccessManager(this)) { }

HttpClient::~HttpClient()
{
    cancel();
}

QNetworkReply *HttpClient::start(const HttpRequest &request)
{
    QNetworkRequest r{QUrl(request.url, QUrl::TolerantMode)};
    r.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    r.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    r.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Miravel/") + versionText());
    for (const auto &[name, value] : request.headers)
        r.setRawHeader(name, value);
    if (!m_extraAuthorities.isEmpty() && r.url().scheme() == QLatin1String("https")) {
        QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
        tls.addCaCertificates(m_extraAuthorities);
        r.setSslConfiguration(tls);
    }
    QNetworkReply *reply = m_manager->get(r);
    Transfer &transfer = m_transfers[reply];
    transfer.maxBytes = std::max<qint64>(0, request.maxBytes);
    reply->setReadBufferSize(std::min(transfer.maxBytes + 1, ReadAhead));

    // A body announced beyond the limit, or an error page, is not read at all.
    connect(reply, &QNetworkReply::metaDataChanged, this, [this, reply] {
        const auto it = m_transfers.find(reply);
        if (it == m_transfers.end())
            return;
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        it->retryAfter = reply->rawHeader("Retry-After");
        if (status >= 400)
            stop(reply, HttpFailure::Status);
        else if (isSuccess(status) && length.isValid() && length.toLongLong() > it->maxBytes)
            stop(reply, HttpFailure::TooLarge);
    });
    // Not ignored: the transfer then fails, and the first reason is kept for its message.
    connect(reply, &QNetworkReply::sslErrors, this, [this, reply](const QList<QSslError> &errors) {
        const auto it = m_transfers.find(reply);
        if (it != m_transfers.end() && it->certificateError.isEmpty() && !errors.isEmpty())
            it->certificateError = errors.first().errorString();
    });
    connect(reply, &QNetworkReply::readyRead, this, [this, reply] {
        if (!take(reply))
            stop(reply, HttpFailure::TooLarge);
    });
    if (request.timeoutMs > 0) {
        auto *timer = new QTimer(reply);
        timer->setSingleShot(true);
        connect(timer, &QTimer::timeout, this, [this, reply] { stop(reply, HttpFailure::TimedOut); });
        timer->start(request.timeoutMs);
    }
    return reply;
}

void HttpClient::stop(QNetworkReply *reply, HttpFailure why)
{
    // A reply that is no longer running has its whole answer: the finished handler judges it.
    const auto it = m_transfers.find(reply);
    if (it == m_transfers.end() || !reply->isRunning() || it->stoppedFor != HttpFailure::None)
        return;
    it->stoppedFor = why;
    it->body.clear();
    reply->abort(); // may finish the transfer at once: nothing of it is used after this line
}

bool HttpClient::take(QNetworkReply *reply)
{
    const auto it = m_transfers.find(reply);
    if (it == m_transfers.end() || it->stoppedFor != HttpFailure::None) {
        if (reply->isOpen())
            reply->skip(reply->bytesAvailable());
        return true;
    }
    if (it->body.size() + reply->bytesAvailable() > it->maxBytes)
        return false;
    it->body += reply->readAll();
    return true;
}

HttpResult HttpClient::finish(QNetworkReply *reply)
{
    if (!take(reply)) {
        Transfer &t = m_transfers[reply];
        t.stoppedFor = HttpFailure::TooLarge;
        t.body.clear();
    }
    const Transfer transfer = m_transfers.take(reply);
    reply->deleteLater();

    HttpResult r;
    r.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    r.retryAfter = transfer.retryAfter;
    const auto fail = [&r](HttpFailure failure, const QString &error) {
        r.failure = failure;
        r.error = error;
        return r;
    };
    switch (transfer.stoppedFor) {
    case HttpFailure::None:
        break;
    case HttpFailure::TimedOut:
        return fail(HttpFailure::TimedOut, QStringLiteral("時間内に応答がありません"));
    case HttpFailure::Cancelled:
        return fail(HttpFailure::Cancelled, QStringLiteral("転送を中止しました"));
    case HttpFailure::TooLarge:
        return fail(HttpFailure::TooLarge,
                    QStringLiteral("%1 バイトを超えるため受け取りを中止しました").arg(transfer.maxBytes));
    default: // an error status seen in the headers
        return fail(HttpFailure::Status, QStringLiteral("HTTP %1").arg(r.status));
    }
    const qint64 received = transfer.body.size();
    // A decompressed body has another length than the one announced for the wire.
    const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
    const qint64 announced = length.isValid() && !reply->hasRawHeader("Content-Encoding") ? length.toLongLong() : -1;
    const auto cut = [&] {
        return fail(HttpFailure::Incomplete,
                    announced >= 0 ? QStringLiteral("%1 バイトのうち %2 バイトで接続が切れました").arg(announced).arg(received)
                                   : QStringLiteral("%1 バイト受け取ったところで接続が切れました").arg(received));
    };
    if (r.status >= 400 || (r.status > 0 && !isSuccess(r.status) && reply->error() == QNetworkReply::NoError))
        return fail(HttpFailure::Status, QStringLiteral("HTTP %1").arg(r.status));
    if (reply->error() != QNetworkReply::NoError) {
        if (isSuccess(r.status))
            return cut();
        if (!transfer.certificateError.isEmpty() || reply->error() == QNetworkReply::SslHandshakeFailedError)
            return fail(HttpFailure::Certificate,
                        QStringLiteral("サーバーの証明書を確認できません: %1")
                            .arg(transfer.certificateError.isEmpty() ? reply->errorString() : transfer.certificateError));
        if (reply->url().scheme() == QLatin1String("https") && !tlsAvailable())
            return fail(HttpFailure::Connection,
                        QStringLiteral("https で接続できません: TLS のライブラリ（OpenSSL 3）が見つかりません"));
        return fail(HttpFailure::Connection, QStringLiteral("接続できません: %1").arg(reply->errorString()));
    }
    if (received < announced)
        return cut();
    r.ok = true;
    r.body = transfer.body;
    return r;
}

bool HttpClient::tlsAvailable()
{
    return QSslSocket::supportsSsl();
}

HttpResult HttpClient::fetch(const HttpRequest &request)
{
    QNetworkReply *reply = start(request);
    if (reply->isRunning()) {
        QEventLoop loop;
        connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return finish(reply);
}

void HttpClient::fetchAsync(const HttpRequest &request, std::function<void(const HttpResult &)> done)
{
    QNetworkReply *reply = start(request);
    connect(reply, &QNetworkReply::finished, this, [this, reply, done = std::move(done)] {
        const HttpResult result = finish(reply);
        if (done)
            done(result);
    });
}

void HttpClient::cancel()
{
    const QList<QNetworkReply *> active = m_transfers.keys();
    for (QNetworkReply *reply : active)
        stop(reply, HttpFailure::Cancelled);
}
