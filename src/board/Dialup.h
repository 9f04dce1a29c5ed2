#pragma once

// Dial-up connections. This system has no dial-up networking: a connection is never active and
// hanging up does nothing; AttemptConnect reports whether any network interface is up.

namespace Dialup {

// True when an active, non-loopback network interface exists.
bool AttemptConnect();
// True when a dial-up connection is active (remember: keep it for HangUpDialup). Always false here.
bool IsDialupConnected(bool remember);
// Hangs up the remembered connection; nothing to do here.
void HangUpDialup();

} // namespace Dialup
