#pragma once

#include <cstdint>
#include <optional>

namespace platform {

// An opaque window handle of the desktop (a HWND on Windows); 0 means "none".
using WindowHandle = std::uintptr_t;

// The few things the program takes from the operating system. One implementation is
// installed at start; tests install a fake.
class Os {
public:
    virtual ~Os() = default;

    virtual WindowHandle findTaskbar() = 0;
    virtual void hideWindow(WindowHandle window) = 0;
    virtual void showWindow(WindowHandle window) = 0;

    // Brings the program's top-level window to the front even against the desktop's
    // foreground rules. The input attachment is undone on every path, also when raising throws.
    void bringToFront(WindowHandle window);

    // Milliseconds since an arbitrary start, wrapping at 2^32 like the Windows tick count.
    virtual std::uint32_t tickCount() = 0;
    // A high-resolution counter, or nothing where it cannot be read.
    virtual std::optional<std::uint64_t> performanceCounter() = 0;

protected:
    using AttachToken = std::uintptr_t;
    virtual AttachToken attachForegroundInput() = 0;
    virtual void raiseWindow(WindowHandle window) = 0;
    virtual void detachForegroundInput(AttachToken token) = 0;
};

Os &os();
// Installs the implementation used from now on; the caller keeps ownership.
void install(Os *implementation);

} // namespace platform
