#include "platform/X11ScreenGrabber.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#if KIRAMO_HAVE_XCB_SHM
#include <sys/ipc.h>
#include <sys/shm.h>
#include <xcb/shm.h>
#include <xcb/xcb.h>
#endif

#include <cstdlib>
#include <cstring>

namespace kiramo {

#if KIRAMO_HAVE_XCB_SHM
// One shared-memory segment attached to the X server, kept between grabs (a warm grab then
// costs one copy) and grown when a larger monitor needs it.
class X11ScreenGrabber::SharedMemory {
public:
    explicit SharedMemory(xcb_connection_t* connection)
        : m_connection(connection) {}
    ~SharedMemory() { release(); }

    // The monitor's block of the root window, `native` in X pixels; a null image when the
    // server cannot give it through shared memory.
    QImage grab(QRect native) {
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
        if (screen == nullptr || (screen->root_depth != 24 && screen->root_depth != 32) ||
            native.isEmpty()) {
            return QImage();
        }
        const std::size_t bytes = std::size_t(native.width()) * native.height() * 4;
        if (!reserve(bytes)) {
            return QImage();
        }
        xcb_generic_error_t* error = nullptr;
        xcb_shm_get_image_reply_t* reply = xcb_shm_get_image_reply(
            m_connection,
            xcb_shm_get_image(m_connection, screen->root, std::int16_t(native.x()),
                              std::int16_t(native.y()), std::uint16_t(native.width()),
                              std::uint16_t(native.height()), ~0u, XCB_IMAGE_FORMAT_Z_PIXMAP,
                              m_segment, 0),
            &error);
        const bool ok = reply != nullptr && error == nullptr;
        std::free(reply);
        std::free(error);
        if (!ok) {
            return QImage();
        }
        // 32 bits a pixel, blue first in memory: RGB32 once the unused byte is opaque, as the
        // toolkit's grab gives it.
        QImage image(native.size(), QImage::Format_RGB32);
        const auto* source = static_cast<const std::uint32_t*>(m_address);
        for (int y = 0; y < native.height(); ++y) {
            auto* line = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
            const std::uint32_t* from = source + std::size_t(y) * native.width();
            for (int x = 0; x < native.width(); ++x) {
                line[x] = from[x] | 0xff000000u;
            }
        }
        return image;
    }

private:
    bool reserve(std::size_t bytes) {
        if (bytes <= m_size) {
            return true;
        }
        release();
        const int id = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
        if (id < 0) {
            return false;
        }
        void* address = shmat(id, nullptr, 0);
        if (address == reinterpret_cast<void*>(-1)) {
            shmctl(id, IPC_RMID, nullptr);
            return false;
        }
        const xcb_shm_seg_t segment = xcb_generate_id(m_connection);
        xcb_generic_error_t* error = xcb_request_check(
            m_connection, xcb_shm_attach_checked(m_connection, segment, std::uint32_t(id), 0));
        // Once both sides are attached, the segment goes away with the last detach, even if
        // this process dies.
        shmctl(id, IPC_RMID, nullptr);
        if (error != nullptr) {
            std::free(error);
            shmdt(address);
            return false;
        }
        m_address = address;
        m_segment = segment;
        m_size = bytes;
        return true;
    }

    void release() {
        if (m_address == nullptr) {
            return;
        }
        xcb_shm_detach(m_connection, m_segment);
        xcb_flush(m_connection);
        shmdt(m_address);
        m_address = nullptr;
        m_size = 0;
    }

    xcb_connection_t* const m_connection;
    void* m_address = nullptr;
    xcb_shm_seg_t m_segment = 0;
    std::size_t m_size = 0;
};
#else
class X11ScreenGrabber::SharedMemory {};
#endif

X11ScreenGrabber::X11ScreenGrabber(QObject* parent)
    : ScreenGrabber(parent) {
#if KIRAMO_HAVE_XCB_SHM
    if (auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()) {
        xcb_connection_t* connection = x11->connection();
        const xcb_query_extension_reply_t* shm =
            connection != nullptr ? xcb_get_extension_data(connection, &xcb_shm_id) : nullptr;
        if (shm != nullptr && shm->present != 0) {
            m_shm = std::make_unique<SharedMemory>(connection);
        }
    }
#endif
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
        const FrozenScreens screens = grabNow();
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
}

FrozenScreens X11ScreenGrabber::grabNow() {
    m_usedSharedMemory = false;
    if (m_shm) {
        FrozenScreens frozen;
        for (QScreen* screen : screensPrimaryFirst()) {
            // A monitor's logical top-left is its place in X pixels; its size scales.
            const QRect logical = screen->geometry();
            const QRect native(logical.topLeft(),
                               (QSizeF(logical.size()) * screen->devicePixelRatio()).toSize());
            QImage image = m_shm->grab(native);
            if (image.isNull()) {
                frozen.clear();
                break;
            }
            frozen.append(FrozenScreen{screen->name(), logical, image});
        }
        if (!frozen.isEmpty()) {
            m_usedSharedMemory = true;
            return frozen;
        }
    }
    FrozenScreens frozen = grabScreensWithToolkit();
    for (const FrozenScreen& screen : frozen) {
        if (screen.image.isNull()) {
            return {};
        }
    }
    return frozen;
}

}  // namespace kiramo
