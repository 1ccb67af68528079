#ifndef _WIN32

#include "platform/SessionInhibit.h"

namespace platform {

void inhibitSessionScreenSaver(bool) {}

} // namespace platform

#endif
