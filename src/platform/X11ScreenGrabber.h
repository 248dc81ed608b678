#pragma once

#include "platform/ScreenGrabber.h"

#include <memory>

namespace kiramo {

class X11SharedMemoryGrab;

// Reads the screen where the program itself can: on an X server through the MIT shared-memory
// extension (the pixels are copied at memory speed rather than through the X socket), and
// through the toolkit's grab where the server lacks it (a remote display) or elsewhere.
class X11ScreenGrabber final : public ScreenGrabber {
    Q_OBJECT

public:
    explicit X11ScreenGrabber(QObject* parent = nullptr);
    ~X11ScreenGrabber() override;

    void prepare() override;
    void start() override;
    void cancel() override;

    // Every monitor at once, now, as start() reports it; an empty list when the screen cannot
    // be read.
    [[nodiscard]] FrozenScreens grabNow();
    // True when the last grabNow() went through shared memory.
    [[nodiscard]] bool usedSharedMemory() const { return m_usedSharedMemory; }

private:
    std::unique_ptr<X11SharedMemoryGrab> m_shm;  // null where the plain grab is the only way
    bool m_usedSharedMemory = false;
    int m_pending = 0;  // the start() that the queued grab answers; 0 when none
    int m_starts = 0;
};

}  // namespace kiramo
