#include "board/Dialup.h"

#include <QEventLoop>
#include <QHostAddress>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

namespace Dialup {

bool AttemptConnect(const QString &address, int timeoutMs)
{
    const QUrl url(QStringLiteral("http://") + address.trimmed(), QUrl::TolerantMode);
    const QString host = url.host();
    if (host.isEmpty())
        return false;
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0 || QHostAddress(host).isLoopback())
        return true;
    QTcpSocket socket;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&socket, &QTcpSocket::connected, &loop, &QEventLoop::quit);
    QObject::connect(&socket, &QTcpSocket::errorOccurred, &loop, &QEventLoop::quit);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    socket.connectToHost(host, quint16(url.port(80)));
    timer.start(timeoutMs);
    if (socket.state() != QAbstractSocket::ConnectedState && socket.state() != QAbstractSocket::UnconnectedState)
        loop.exec();
    const bool reached = socket.state() == QAbstractSocket::ConnectedState;
    socket.abort();
    return reached;
}

bool IsDialupConnected(bool remember)
{
    (void)remember;
    return false;
}

void HangUpDialup()
{
}

} // namespace Dialup
