#pragma once

// An HTTP server on 127.0.0.1 for network tests: serves canned answers by path (with the query),
// counts requests, and can answer late, never, cut short or without end; over TLS with a
// certificate the test brings; or through a function that answers like a whole service.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>

#include <functional>

class QSslCertificate;
class QSslKey;
class QTcpServer;
class QTcpSocket;

namespace testing_support {

class LoopbackServer final : public QObject
{
    Q_OBJECT

public:
    LoopbackServer();
    ~LoopbackServer() override;

    // "http://127.0.0.1:PORT" ("https://…" once useTls() was called; no trailing "/").
    QString baseUrl() const;
    // "127.0.0.1:PORT", the form the settings DURL/MURL hold (without "http://").
    QString hostAndPort() const;
    quint16 port() const;

    // Answers GET pathAndQuery ("/kabu/file.txt", "/q?s=1301&d=v2") with status and body, after
    // delayMs when given. Paths without an answer get 404.
    void serve(const QString &pathAndQuery, const QByteArray &body, int status = 200, int delayMs = 0);
    // Accepts the request and never answers.
    void hang(const QString &pathAndQuery);
    // Announces the whole body but sends only its first sentBytes, then closes the connection.
    void serveCutOff(const QString &pathAndQuery, const QByteArray &body, int sentBytes);

    // Streams a body of the given size, a chunk at a time as the client takes it, with or without
    // announcing its length; the client may stop it at any point.
    void serveStream(const QString &pathAndQuery, qint64 bodyBytes, bool announceLength = true);
    // The bytes of answers to pathAndQuery the server managed to hand to the connection.
    qint64 bytesSent(const QString &pathAndQuery) const { return m_sent.value(pathAndQuery); }

    int requestCount(const QString &pathAndQuery) const;
    int totalRequests() const { return m_total; }

    // Serves every later connection over TLS with this certificate and its key.
    void useTls(const QSslCertificate &certificate, const QSslKey &key);

    // A request as it arrived: the path with the query, and the headers by lower-case name.
    struct Request
    {
        QString target;
        QHash<QByteArray, QByteArray> headers;
    };
    // An answer of the responder: extra header lines, and, with sentBytes >= 0, the whole body
    // announced but only its first sentBytes sent before the connection closes.
    struct Reply
    {
        int status = 200;
        QByteArray body;
        QList<QPair<QByteArray, QByteArray>> headers;
        int sentBytes = -1;
    };
    // Answers the requests that no serve(), hang(), serveCutOff() or serveStream() answers.
    void respondWith(std::function<Reply(const Request &)> responder) { m_responder = std::move(responder); }

private:
    struct Answer
    {
        int status = 200;
        QByteArray body;
        int delayMs = 0;
        bool hang = false;
        int sentBytes = -1; // all
        qint64 streamBytes = -1; // a streamed body of this size
        bool announceLength = true;
        QList<QPair<QByteArray, QByteArray>> headers;
    };
    void onConnection();
    void onReadable(QTcpSocket *socket);
    void respond(QTcpSocket *socket, const Answer &answer);
    void stream(QTcpSocket *socket, const QString &target, const Answer &answer);

    QTcpServer *m_server;
    QHash<QString, Answer> m_answers;
    QHash<QString, int> m_counts;
    QHash<QString, qint64> m_sent;
    int m_total = 0;
    bool m_tls = false;
    std::function<Reply(const Request &)> m_responder;
};

} // namespace testing_support
