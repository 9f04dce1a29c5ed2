#include "BatchCommon.h"

namespace batch {

// Filled in with the start-up steps that need no window.
std::vector<Command> initCommands() { return {}; }

} // namespace batch
