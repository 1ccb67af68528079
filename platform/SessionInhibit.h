#pragma once

namespace platform {

// Asks the desktop session's screen saver service (org.freedesktop.ScreenSaver on the session
// bus) to keep the display on, or lets it go. Does nothing, silently, without a session bus or
// without a service owning that name. Says whether the service took the request.
bool inhibitSessionScreenSaver(bool on);

} // namespace platform
