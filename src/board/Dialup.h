#pragma once

// Making a connection available before a quote fetch, and the dial-up hang-up. This system has no
// dial-up networking: a connection is never active and hanging up does nothing.

#include <QString>

namespace Dialup {

// True when the host of an address ("host[:port][/path]", without the scheme) can be reached: it
// resolves and accepts a connection on its port (80 when none is given) within timeoutMs. A
// loopback host always counts. Events keep running while it waits.
bool AttemptConnect(const QString &address, int timeoutMs = 10000);
// True when a dial-up connection is active (remember: keep it for HangUpDialup). Always false here.
bool IsDialupConnected(bool remember);
// Hangs up the remembered connection; nothing to do here.
void HangUpDialup();

} // namespace Dialup
