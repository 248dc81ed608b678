#pragma once

#include "platform/ScreenGrabber.h"

#include <memory>

class QScreen;

namespace kiramo {

// The grab through the X server's MIT shared-memory extension: the pixels are copied at memory
// speed rather than through the X socket. Built only where xcb-shm and xcb-randr are there to
// build with; elsewhere open() finds none.
class X11SharedMemoryGrab {
public:
    virtual ~X11SharedMemoryGrab() = default;

    // The shared-memory grab of the application's X server; null where the program is not on
    // X11, the server lacks the extension (a remote display) or the build left it out.
    [[nodiscard]] static std::unique_ptr<X11SharedMemoryGrab> open();

    // Makes memory ready for a grab of `screens`, which follows.
    virtual void prepare(const QList<QScreen*>& screens) = 0;
    // Lets go of memory made ready and not used.
    virtual void release() = 0;
    // Every monitor of `screens`, in their order; an empty list when the server cannot give
    // one of them this way.
    [[nodiscard]] virtual FrozenScreens grab(const QList<QScreen*>& screens) = 0;
};

}  // namespace kiramo
