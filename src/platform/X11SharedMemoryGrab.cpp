#include "platform/X11SharedMemoryGrab.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>

#include <sys/ipc.h>
#include <sys/shm.h>
#include <unistd.h>
#include <xcb/randr.h>
#include <xcb/shm.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <future>
#include <memory>
#include <vector>

namespace kiramo {

namespace {

// The X connection as the segments see it: a picture may outlive the grabber, and at exit the
// application and its connection, so a segment asks here whether it can still detach.
struct Connection {
    xcb_connection_t* xcb = nullptr;
    std::atomic<bool> open{true};
};

// The application's connection, one record for the whole process; it is marked closed as the
// application goes, before the connection itself closes.
std::shared_ptr<Connection> applicationConnection(xcb_connection_t* xcb) {
    static std::shared_ptr<Connection> connection;
    if (!connection || connection->xcb != xcb || !connection->open) {
        connection = std::make_shared<Connection>();
        connection->xcb = xcb;
        QObject::connect(QCoreApplication::instance(), &QObject::destroyed,
                         [record = connection] { record->open = false; });
    }
    return connection;
}

// One shared-memory segment attached to the X server. A grab fills one and the frozen picture
// keeps it (no copy); it is detached and freed with the picture's last copy.
struct Segment {
    std::shared_ptr<Connection> connection;
    void* address = nullptr;
    xcb_shm_seg_t id = 0;
    std::size_t size = 0;

    ~Segment() {
        if (connection->open) {
            xcb_shm_detach(connection->xcb, id);
            xcb_flush(connection->xcb);
        }
        shmdt(address);
    }
};

// A segment of `bytes`, attached to the server, its pages already in memory (the server then
// writes at memory speed, without a fault per page); null when the server cannot share one.
std::unique_ptr<Segment> makeSegment(const std::shared_ptr<Connection>& connection,
                                     std::size_t bytes) {
    const int id = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (id < 0) {
        return nullptr;
    }
    void* address = shmat(id, nullptr, 0);
    if (address == reinterpret_cast<void*>(-1)) {
        shmctl(id, IPC_RMID, nullptr);
        return nullptr;
    }
    const xcb_shm_seg_t segment = xcb_generate_id(connection->xcb);
    xcb_generic_error_t* error = xcb_request_check(
        connection->xcb, xcb_shm_attach_checked(connection->xcb, segment, std::uint32_t(id), 0));
    // Once both sides are attached, the segment goes away with the last detach, even if this
    // process dies.
    shmctl(id, IPC_RMID, nullptr);
    if (error != nullptr) {
        std::free(error);
        shmdt(address);
        return nullptr;
    }
    auto result = std::unique_ptr<Segment>(new Segment{connection, address, segment, bytes});
    const auto pageSize = std::size_t(std::max(4096L, sysconf(_SC_PAGESIZE)));
    auto* page = static_cast<volatile unsigned char*>(address);
    for (std::size_t at = 0; at < bytes; at += pageSize) {
        page[at] = 0;
    }
    return result;
}

void freeSegment(void* segment) {
    delete static_cast<Segment*>(segment);
}

// The shared-memory side of the grabber: segments made ready while the screen settles, and the
// grab into them.
class SharedMemory {
public:
    explicit SharedMemory(xcb_connection_t* xcb)
        : m_connection(applicationConnection(xcb)) {}
    ~SharedMemory() { release(); }

    [[nodiscard]] xcb_connection_t* xcb() const { return m_connection->xcb; }

    // Segments for these blocks, ready for the grab that follows. They are made on a thread of
    // their own (writing a page of a new segment costs a fault), while the caller readies its
    // windows.
    void prepare(const QList<QRect>& blocks) {
        release();
        std::vector<std::size_t> sizes;
        for (const QRect& block : blocks) {
            sizes.push_back(bytesFor(block));
        }
        m_making = std::async(std::launch::async, [connection = m_connection, sizes] {
            Segments made;
            try {
                for (const std::size_t bytes : sizes) {
                    if (auto segment = makeSegment(connection, bytes)) {
                        made.push_back(std::move(segment));
                    }
                }
            } catch (const std::bad_alloc&) {
                // The grab makes what it lacks itself, or falls back to the plain grab.
            }
            return made;
        });
    }

    // Segments made ready and not used go: they are as large as the screen.
    void release() {
        if (m_making.valid()) {
            m_making.get();
        }
        m_ready.clear();
    }

    // The monitor's block of the root window, `native` in X pixels; a null image when the
    // server cannot give it through shared memory.
    QImage grab(QRect native) {
        const xcb_screen_t* screen =
            xcb_setup_roots_iterator(xcb_get_setup(m_connection->xcb)).data;
        if (screen == nullptr || (screen->root_depth != 24 && screen->root_depth != 32) ||
            native.isEmpty()) {
            return QImage();
        }
        std::unique_ptr<Segment> segment = takeReady(bytesFor(native));
        if (!segment) {
            segment = makeSegment(m_connection, bytesFor(native));
        }
        if (!segment) {
            return QImage();
        }
        xcb_generic_error_t* error = nullptr;
        xcb_shm_get_image_reply_t* reply = xcb_shm_get_image_reply(
            m_connection->xcb,
            xcb_shm_get_image(m_connection->xcb, screen->root, std::int16_t(native.x()),
                              std::int16_t(native.y()), std::uint16_t(native.width()),
                              std::uint16_t(native.height()), ~0u, XCB_IMAGE_FORMAT_Z_PIXMAP,
                              segment->id, 0),
            &error);
        const bool ok = reply != nullptr && error == nullptr;
        std::free(reply);
        std::free(error);
        if (!ok) {
            return QImage();
        }
        // 32 bits a pixel, blue first in memory: RGB32 once the unused byte is opaque, as the
        // toolkit's grab gives it. The picture keeps the segment.
        auto* pixels = static_cast<std::uint32_t*>(segment->address);
        const std::size_t count = std::size_t(native.width()) * std::size_t(native.height());
        for (std::size_t i = 0; i < count; ++i) {
            pixels[i] |= 0xff000000u;
        }
        Segment* kept = segment.release();
        return QImage(static_cast<uchar*>(kept->address), native.width(), native.height(),
                      qsizetype(native.width()) * 4, QImage::Format_RGB32, freeSegment, kept);
    }

private:
    static std::size_t bytesFor(QRect block) {
        return std::size_t(block.width()) * std::size_t(block.height()) * 4;
    }

    std::unique_ptr<Segment> takeReady(std::size_t bytes) {
        if (m_making.valid()) {
            m_ready = m_making.get();
        }
        // The smallest that holds it: a small monitor does not take a large one's segment.
        auto best = m_ready.end();
        for (auto it = m_ready.begin(); it != m_ready.end(); ++it) {
            if ((*it)->size >= bytes && (best == m_ready.end() || (*it)->size < (*best)->size)) {
                best = it;
            }
        }
        if (best == m_ready.end()) {
            return nullptr;
        }
        std::unique_ptr<Segment> segment = std::move(*best);
        m_ready.erase(best);
        return segment;
    }

    using Segments = std::vector<std::unique_ptr<Segment>>;
    std::shared_ptr<Connection> m_connection;
    std::future<Segments> m_making;
    Segments m_ready;
};

// Each monitor's block of the root window in X pixels, in the order of `screens`, as the X
// server lays them out (RandR monitors, found by name, else by their top-left corner, which is
// the same in logical and X pixels). Where the server does not tell, the block is the logical
// one scaled, which at a fractional scale may be a pixel off; never beyond the root window.
QList<QRect> monitorBlocks(xcb_connection_t* xcb, const QList<QScreen*>& screens) {
    const xcb_screen_t* root = xcb_setup_roots_iterator(xcb_get_setup(xcb)).data;
    struct Monitor {
        QString name;
        QRect block;
    };
    QList<Monitor> monitors;
    const xcb_query_extension_reply_t* randr = xcb_get_extension_data(xcb, &xcb_randr_id);
    if (root != nullptr && randr != nullptr && randr->present != 0) {
        xcb_randr_get_monitors_reply_t* reply =
            xcb_randr_get_monitors_reply(xcb, xcb_randr_get_monitors(xcb, root->root, 1), nullptr);
        if (reply != nullptr) {
            QList<xcb_get_atom_name_cookie_t> names;
            for (auto it = xcb_randr_get_monitors_monitors_iterator(reply); it.rem != 0;
                 xcb_randr_monitor_info_next(&it)) {
                names.append(xcb_get_atom_name(xcb, it.data->name));
                monitors.append(Monitor{
                    QString(), QRect(it.data->x, it.data->y, it.data->width, it.data->height)});
            }
            for (qsizetype i = 0; i < names.size(); ++i) {
                if (xcb_get_atom_name_reply_t* name =
                        xcb_get_atom_name_reply(xcb, names.at(i), nullptr)) {
                    monitors[i].name = QString::fromUtf8(xcb_get_atom_name_name(name),
                                                         xcb_get_atom_name_name_length(name));
                    std::free(name);
                }
            }
            std::free(reply);
        }
    }
    const QRect whole =
        root != nullptr ? QRect(0, 0, root->width_in_pixels, root->height_in_pixels) : QRect();
    QList<QRect> blocks;
    for (const QScreen* screen : screens) {
        const QRect logical = screen->geometry();
        QRect block(logical.topLeft(),
                    (QSizeF(logical.size()) * screen->devicePixelRatio()).toSize());
        const Monitor* found = nullptr;
        for (const Monitor& monitor : std::as_const(monitors)) {
            if (monitor.name == screen->name()) {
                found = &monitor;
            }
        }
        for (const Monitor& monitor : std::as_const(monitors)) {
            if (found == nullptr && monitor.block.topLeft() == logical.topLeft()) {
                found = &monitor;
            }
        }
        if (found != nullptr) {
            block = found->block;
        }
        blocks.append(whole.isValid() ? block & whole : block);
    }
    return blocks;
}

// The grab of every monitor through a SharedMemory of the application's connection.
class XcbSharedMemoryGrab final : public X11SharedMemoryGrab {
public:
    explicit XcbSharedMemoryGrab(xcb_connection_t* xcb)
        : m_shm(xcb) {}

    void prepare(const QList<QScreen*>& screens) override {
        m_shm.prepare(monitorBlocks(m_shm.xcb(), screens));
    }

    void release() override { m_shm.release(); }

    FrozenScreens grab(const QList<QScreen*>& screens) override {
        FrozenScreens frozen;
        const QList<QRect> blocks = monitorBlocks(m_shm.xcb(), screens);
        for (qsizetype i = 0; i < screens.size(); ++i) {
            const QScreen* screen = screens.at(i);
            const QRect logical = screen->geometry();
            QImage image = m_shm.grab(blocks.at(i));
            if (image.isNull()) {
                frozen.clear();
                break;
            }
            frozen.append(FrozenScreen{screen->name(), logical, image});
        }
        m_shm.release();
        return frozen;
    }

private:
    SharedMemory m_shm;
};

}  // namespace

std::unique_ptr<X11SharedMemoryGrab> X11SharedMemoryGrab::open() {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 != nullptr ? x11->connection() : nullptr;
    const xcb_query_extension_reply_t* shm =
        connection != nullptr ? xcb_get_extension_data(connection, &xcb_shm_id) : nullptr;
    if (shm == nullptr || shm->present == 0) {
        return nullptr;
    }
    return std::make_unique<XcbSharedMemoryGrab>(connection);
}

}  // namespace kiramo
