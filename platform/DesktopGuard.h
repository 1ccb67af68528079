#pragma once

#include "platform/Os.h"

namespace platform {

// Once armed, the hidden taskbars are shown again and the pointer is freed however the process
// ends while it can still act: a termination or interrupt signal, abort(), an uncaught
// exception, or on Windows a crash such as an access violation. The ordinary ways out give the
// desktop back themselves; giving it back twice does no harm.
void armDesktopGuard();
void disarmDesktopGuard();

} // namespace platform
