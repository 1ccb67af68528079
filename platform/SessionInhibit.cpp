#ifndef _WIN32

#include "platform/SessionInhibit.h"

namespace platform {

bool inhibitSessionScreenSaver(bool)
{
    return false;
}

} // namespace platform

#endif
