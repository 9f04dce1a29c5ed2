#pragma once

// The Http port over QNetworkAccessManager: whole bodies within a size limit, a time-out per
// transfer, cancel. HTTPS goes through Qt's TLS backend and verifies the server's certificate
// against the system's store; a certificate that does not verify ends the transfer, never ignored.

#include "base/Ports.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QSslCertificate>

class QNetworkAccessManager;
class QNetworkReply;

class HttpClient final : public QObject, public Http
{
    Q_OBJECT

public:
    explicit HttpClient(QObject *parent = nullptr);
    ~HttpClient() override;

    using Http::fetch;
    using Http::fetchAsync;
    // Runs a local event loop until the whole body arrived, the time-out passed or cancel() ran.
    HttpResult fetch(const HttpRequest &request) override;
    void fetchAsync(const HttpRequest &request, std::function<void(const HttpResult &)> done) override;
    void cancel() override;
    // Transfers in flight.
    int activeCount() const { return int(m_transfers.size()); }
    // Trusts these authorities too, for this client's transfers only (a test's own certificate).
    void trustAuthorities(const QList<QSslCertificate> &authorities) { m_extraAuthorities = authorities; }
    // Whether a TLS backend is there for https addresses (OpenSSL's library is found at run time).
    static bool tlsAvailable();

private:
    struct Transfer
    {
        qint64 maxBytes = 0;
        QByteArray body; // read as it arrives, so that a body beyond the limit is never held whole
        HttpFailure stoppedFor = HttpFailure::None; // set when this client aborted the transfer
        QByteArray retryAfter;
        QString certificateError; // why the server's certificate was refused
    };

    QNetworkReply *start(const HttpRequest &request);
    void stop(QNetworkReply *reply, HttpFailure why);
    // Moves what arrived into the transfer's body; false when that would pass the limit.
    bool take(QNetworkReply *reply);
    // The result of a finished reply; forgets the transfer.
    HttpResult finish(QNetworkReply *reply);

    QNetworkAccessManager *m_manager;
    QHash<QNetworkReply *, Transfer> m_transfers;
    QList<QSslCertificate> m_extraAuthorities;
};
