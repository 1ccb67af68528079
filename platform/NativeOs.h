#pragma once

#include "platform/Os.h"

#include <memory>

namespace platform {

// The implementation for the machine the program was built for (Win32 or X11/generic).
std::unique_ptr<Os> createNativeOs();

} // namespace platform
