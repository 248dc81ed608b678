#include "platform/X11SharedMemoryGrab.h"

namespace kiramo {

// This build has no xcb-shm: every grab is the toolkit's.
std::unique_ptr<X11SharedMemoryGrab> X11SharedMemoryGrab::open() {
    return nullptr;
}

}  // namespace kiramo
