#pragma once

// An HTTP server on 127.0.0.1 for network tests: serves canned answers by path (with the query),
// counts requests, and can answer late or never.

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>

class QTcpServer;
class QTcpSocket;

namespace testing_support {

class LoopbackServer final : public QObject
{
    Q_OBJECT

public:
    LoopbackServer();
    ~LoopbackServer() override;

    // "http://127.0.0.1:PORT" (no trailing "/").
    QString baseUrl() const;
    // "127.0.0.1:PORT", the form the settings DURL/MURL hold (without "http://").
    QString hostAndPort() const;
    quint16 port() const;

    // Answers GET pathAndQuery ("/kabu/file.txt", "/q?s=1301&d=v2") with status and body, after
    // delayMs when given. Paths without an answer get 404.
    void serve(const QString &pathAndQuery, const QByteArray &body, int status = 200, int delayMs = 0);
    // Announces declaredSize bytes, sends only body and closes: a transfer cut off.
    void serveTruncated(const QString &pathAndQuery, const QByteArray &body, qsizetype declaredSize);
    // Accepts the request and never answers.
    void hang(const QString &pathAndQuery);

    int requestCount(const QString &pathAndQuery) const;
    int totalRequests() const { return m_total; }

private:
    struct Answer
    {
        int status = 200;
        QByteArray body;
        int delayMs = 0;
        bool hang = false;
        qsizetype declaredSize = -1;
    };
    void onConnection();
    void onReadable(QTcpSocket *socket);
    void respond(QTcpSocket *socket, const Answer &answer);

    QTcpServer *m_server;
    QHash<QString, Answer> m_answers;
    QHash<QString, int> m_counts;
    int m_total = 0;
};

} // namespace testing_support
