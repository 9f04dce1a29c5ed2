#pragma once

// The Http port over QNetworkAccessManager: whole bodies, a time-out per transfer, cancel.

#include "base/Ports.h"

#include <QObject>
#include <QSet>

class QNetworkAccessManager;
class QNetworkReply;

class HttpClient final : public QObject, public Http
{
    Q_OBJECT

public:
    explicit HttpClient(QObject *parent = nullptr);
    ~HttpClient() override;

    // Runs a local event loop until the whole body arrived, the time-out passed or cancel() ran.
    HttpResult fetch(const QString &url, int timeoutMs = 30000) override;
    void fetchAsync(const QString &url, std::function<void(const HttpResult &)> done, int timeoutMs = 30000) override;
    void cancel() override;
    // Transfers in flight.
    int activeCount() const { return int(m_active.size()); }

private:
    QNetworkReply *start(const QString &url, int timeoutMs);
    HttpResult resultOf(QNetworkReply *reply) const;

    QNetworkAccessManager *m_manager;
    QSet<QNetworkReply *> m_active;
    QSet<QNetworkReply *> m_timedOut;
    QSet<QNetworkReply *> m_cancelled;
};
