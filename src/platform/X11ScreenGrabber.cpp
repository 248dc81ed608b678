#include "platform/X11ScreenGrabber.h"

#include "platform/Logging.h"
#include "platform/X11SharedMemoryGrab.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

namespace kiramo {

X11ScreenGrabber::X11ScreenGrabber(QObject* parent)
    : ScreenGrabber(parent)
    , m_shm(X11SharedMemoryGrab::open()) {
}

X11ScreenGrabber::~X11ScreenGrabber() = default;

void X11ScreenGrabber::start() {
    const int ticket = ++m_starts;
    m_pending = ticket;
    QTimer::singleShot(0, this, [this, ticket] {
        if (m_pending != ticket) {
            return;  // cancelled, or started again
        }
        m_pending = 0;
        QElapsedTimer clock;
        clock.start();
        const FrozenScreens screens = grabNow();
        qCInfo(lcCapture) << "X11:" << screens.size() << "monitors read"
                          << (m_usedSharedMemory ? "through shared memory" : "the plain way")
                          << "in" << clock.elapsed() << "ms";
        if (screens.isEmpty()) {
            emit failed(
                QCoreApplication::translate("ScreenGrabber", "画面を読み取れませんでした。"));
            return;
        }
        emit grabbed(screens);
    });
}

void X11ScreenGrabber::cancel() {
    m_pending = 0;
    if (m_shm) {
        m_shm->release();
    }
}

void X11ScreenGrabber::prepare() {
    if (m_shm) {
        m_shm->prepare(screensPrimaryFirst());
    }
}

FrozenScreens X11ScreenGrabber::grabNow() {
    m_usedSharedMemory = false;
    if (m_shm) {
        FrozenScreens frozen = m_shm->grab(screensPrimaryFirst());
        if (!frozen.isEmpty()) {
            m_usedSharedMemory = true;
            return frozen;
        }
    }
    // The plain way: the toolkit's grab, through the X socket.
    FrozenScreens frozen = grabScreensWithToolkit();
    for (const FrozenScreen& screen : frozen) {
        if (screen.image.isNull()) {
            return {};
        }
    }
    return frozen;
}

}  // namespace kiramo
