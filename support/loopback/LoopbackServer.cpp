#include "loopback/LoopbackServer.h"

#include <QHostAddress>
#include <QPointer>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <memory>
#include <optional>

namespace testing_support {

namespace {

// Hands out TLS sockets once a certificate is set; the server handshake starts at once, and the
// socket's data is the decrypted request.
class ListeningServer final : public QTcpServer
{
public:
    using QTcpServer::QTcpServer;
    std::optional<QSslConfiguration> tls;

protected:
    void incomingConnection(qintptr descriptor) override
    {
        if (!tls) {
            QTcpServer::incomingConnection(descriptor);
            return;
        }
        auto *socket = new QSslSocket(this);
        if (!socket->setSocketDescriptor(descriptor)) {
            delete socket;
            return;
        }
        socket->setSslConfiguration(*tls);
        addPendingConnection(socket);
        socket->startServerEncryption();
    }
};

} // namespace

LoopbackServer::LoopbackServer()
    : m_server(new ListeningServer(this))
{
    m_server->listen(QHostAddress::LocalHost, 0);
    connect(m_server, &QTcpServer::newConnection, this, &LoopbackServer::onConnection);
}

LoopbackServer::~LoopbackServer() = default;

quint16 LoopbackServer::port() const
{
    return m_server->serverPort();
}

QString LoopbackServer::baseUrl() const
{
    return (m_tls ? QStringLiteral("https://") : QStringLiteral("http://")) + hostAndPort();
}

void LoopbackServer::useTls(const QSslCertificate &certificate, const QSslKey &key)
{
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setLocalCertificate(certificate);
    tls.setPrivateKey(key);
    tls.setPeerVerifyMode(QSslSocket::VerifyNone); // the client shows no certificate
    static_cast<ListeningServer *>(m_server)->tls = tls;
    m_tls = true;
}

QString LoopbackServer::hostAndPort() const
{
    return QStringLiteral("127.0.0.1:%1").arg(port());
}

void LoopbackServer::serve(const QString &pathAndQuery, const QByteArray &body, int status, int delayMs)
{
    Answer a;
    a.status = status;
    a.body = body;
    a.delayMs = delayMs;
    m_answers.insert(pathAndQuery, a);
}

void LoopbackServer::hang(const QString &pathAndQuery)
{
    Answer a;
    a.hang = true;
    m_answers.insert(pathAndQuery, a);
}

void LoopbackServer::serveCutOff(const QString &pathAndQuery, const QByteArray &body, int sentBytes)
{
    Answer a;
    a.body = body;
    a.sentBytes = sentBytes;
    m_answers.insert(pathAndQuery, a);
}

void LoopbackServer::serveStream(const QString &pathAndQuery, qint64 bodyBytes, bool announceLength)
{
    Answer a;
    a.streamBytes = bodyBytes;
    a.announceLength = announceLength;
    m_answers.insert(pathAndQuery, a);
}

int LoopbackServer::requestCount(const QString &pathAndQuery) const
{
    return m_counts.value(pathAndQuery);
}

void LoopbackServer::onConnection()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        socket->setParent(this);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadable(socket); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
}

void LoopbackServer::onReadable(QTcpSocket *socket)
{
    QByteArray buffer = socket->property("request").toByteArray() + socket->readAll();
    socket->setProperty("request", buffer);
    if (!buffer.contains("\r\n\r\n") || socket->property("answered").toBool())
        return;
    socket->setProperty("answered", true);
    const QList<QByteArray> head = buffer.left(buffer.indexOf("\r\n\r\n")).split('\n');
    const QList<QByteArray> requestLine = head.value(0).trimmed().split(' ');
    Request request;
    request.target = requestLine.size() >= 2 ? QString::fromUtf8(requestLine[1]) : QString();
    for (qsizetype i = 1; i < head.size(); ++i) {
        const qsizetype colon = head[i].indexOf(':');
        if (colon > 0)
            request.headers.insert(head[i].left(colon).trimmed().toLower(), head[i].mid(colon + 1).trimmed());
    }
    const QString &target = request.target;
    ++m_total;
    m_counts[target] += 1;
    Answer answer;
    const auto it = m_answers.constFind(target);
    if (it != m_answers.constEnd()) {
        answer = it.value();
    } else if (m_responder) {
        const Reply reply = m_responder(request);
        answer.status = reply.status;
        answer.body = reply.body;
        answer.headers = reply.headers;
        answer.sentBytes = reply.sentBytes;
    } else {
        answer.status = 404;
        answer.body = "not found";
    }
    if (answer.hang)
        return;
    if (answer.streamBytes >= 0) {
        stream(socket, target, answer);
        return;
    }
    if (answer.delayMs > 0) {
        QPointer<QTcpSocket> guarded(socket);
        QTimer::singleShot(answer.delayMs, this, [this, guarded, answer] {
            if (guarded)
                respond(guarded, answer);
        });
        return;
    }
    respond(socket, answer);
}

void LoopbackServer::respond(QTcpSocket *socket, const Answer &answer)
{
    const QByteArray reason = answer.status == 200 ? "OK" : answer.status == 404 ? "Not Found"
                                                                                 : "Status";
    QByteArray out = "HTTP/1.1 " + QByteArray::number(answer.status) + ' ' + reason + "\r\n";
    out += "Content-Type: application/octet-stream\r\n";
    out += "Content-Length: " + QByteArray::number(answer.body.size()) + "\r\n";
    for (const auto &[name, value] : answer.headers)
        out += name + ": " + value + "\r\n";
    out += "Connection: close\r\n\r\n";
    out += answer.sentBytes >= 0 ? answer.body.left(answer.sentBytes) : answer.body;
    socket->write(out);
    socket->flush();
    socket->disconnectFromHost();
}

void LoopbackServer::stream(QTcpSocket *socket, const QString &target, const Answer &answer)
{
    // Only this much waits in the socket's own buffer: what counts as sent is what the
    // connection took.
    static constexpr qint64 Chunk = 64 * 1024;
    QByteArray head = "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\n";
    if (answer.announceLength)
        head += "Content-Length: " + QByteArray::number(answer.streamBytes) + "\r\n";
    head += "Connection: close\r\n\r\n";
    socket->write(head);
    auto remaining = std::make_shared<qint64>(answer.streamBytes);
    const QByteArray chunk(Chunk, 'x');
    auto refill = [socket, remaining, chunk] {
        while (*remaining > 0 && socket->bytesToWrite() < Chunk) {
            const qint64 n = std::min(Chunk, *remaining);
            socket->write(chunk.constData(), n);
            *remaining -= n;
        }
        if (*remaining == 0)
            socket->disconnectFromHost();
    };
    connect(socket, &QTcpSocket::bytesWritten, this, [this, target, refill](qint64 written) {
        m_sent[target] += written;
        refill();
    });
    refill();
}

} // namespace testing_support
