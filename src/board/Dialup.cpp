#include "board/Dialup.h"

#include <QNetworkInterface>

namespace Dialup {

bool AttemptConnect()
{
    const auto interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &i : interfaces) {
        const auto flags = i.flags();
        if (flags.testFlag(QNetworkInterface::IsUp) && flags.testFlag(QNetworkInterface::IsRunning)
            && !flags.testFlag(QNetworkInterface::IsLoopBack))
            return true;
    }
    return false;
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
