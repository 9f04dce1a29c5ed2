#pragma once

// The Http port over QNetworkAccessManager: whole bodies within a size limit, a time-out per
// transfer, cancel.

#include "base/Ports.h"

#include <QHash>
#include <QObject>

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

private:
    struct Transfer
    {
        qint64 maxBytes = 0;
        QByteArray body; // read as it arrives, so that a body beyond the limit is never held whole
        HttpFailure stoppedFor = HttpFailure::None; // set when this client aborted the transfer
    };

    QNetworkReply *start(const HttpRequest &request);
    void stop(QNetworkReply *reply, HttpFailure why);
    // Moves what arrived into the transfer's body; false when that would pass the limit.
    bool take(QNetworkReply *reply);
    // The result of a finished reply; forgets the transfer.
    HttpResult finish(QNetworkReply *reply);

    QNetworkAccessManager *m_manager;
    QHash<QNetworkReply *, Transfer> m_transfers;
};
