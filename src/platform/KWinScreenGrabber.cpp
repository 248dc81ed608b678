#include "platform/KWinScreenGrabber.h"

#include "platform/DesktopPicture.h"
#include "platform/Logging.h"
#include "platform/PortalScreenGrabber.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusUnixFileDescriptor>
#include <QGuiApplication>
#include <QScreen>
#include <QSocketNotifier>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <utility>

#include <fcntl.h>
#include <unistd.h>

namespace kiramo {

namespace {

const QString kService = QStringLiteral("org.kde.KWin");
const QString kPath = QStringLiteral("/org/kde/KWin/ScreenShot2");
const QString kInterface = QStringLiteral("org.kde.KWin.ScreenShot2");
// A pipe of 1 MiB (the most an unprivileged program may ask for by default) rather than 64 KiB:
// far fewer wake-ups while KWin writes a monitor's pixels.
constexpr int kPipeBytes = 1 << 20;
// More than any desktop's pixels (three 8K monitors take 400 MB): a size announced beyond it is
// taken for nonsense rather than allocated.
constexpr qsizetype kMostBytes = qsizetype(1) << 30;

// A monitor's size in device pixels, as the toolkit knows it (a guess of the picture's size).
QSize deviceSize(QSize logical, double ratio) {
    return (QSizeF(logical) * ratio).toSize();
}

}  // namespace

// One capture call: the pipe KWin writes the pixels into and what has come so far. Done once
// KWin has answered the call and all the bytes it announced have been read (or the pipe ended).
class KWinShot : public QObject {
public:
    KWinShot(const QString& name, QRect geometry, QSize expected, QObject* parent)
        : QObject(parent)
        , name(name)
        , geometry(geometry) {
        m_bytes.resize(qsizetype(expected.width()) * expected.height() * 4);
    }
    ~KWinShot() override { stop(); }

    // Makes the pipe; false when the system has none to give.
    bool open() {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
            return false;
        }
        m_readEnd = fds[0];
        (void)::fcntl(m_readEnd, F_SETPIPE_SZ, kPipeBytes);  // a small pipe works, only slower
        // The call carries a duplicate of the write end, which its pending reply keeps until it
        // has been handled; ours goes now, so that the pipe ends once KWin closes its own.
        m_writeEnd = QDBusUnixFileDescriptor(fds[1]);
        ::close(fds[1]);
        m_notifier = new QSocketNotifier(m_readEnd, QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, [this] { readSome(); });
        return true;
    }
    [[nodiscard]] QDBusUnixFileDescriptor takeWriteEnd() { return std::exchange(m_writeEnd, {}); }

    void setMetadata(const QVariantMap& metadata) {
        m_metadata = metadata;
        m_needed = qsizetype(metadata.value(QStringLiteral("stride")).toUInt()) *
                   metadata.value(QStringLiteral("height")).toUInt();
        if (m_needed <= 0 || m_needed > kMostBytes) {
            stop();  // nothing sensible to read: the picture is found unreadable
        } else if (m_bytes.size() < m_needed) {
            m_bytes.resize(m_needed);
        }
        readSome();
    }
    [[nodiscard]] bool done() const { return m_done; }
    [[nodiscard]] QImage picture() {
        m_bytes.truncate(m_filled);
        return KWinScreenGrabber::pictureOf(std::exchange(m_bytes, {}), m_metadata);
    }
    void stop() {
        if (m_notifier != nullptr) {
            // Perhaps within its own signal.
            m_notifier->setEnabled(false);
            m_notifier->deleteLater();
            m_notifier = nullptr;
        }
        if (m_readEnd >= 0) {
            ::close(m_readEnd);
            m_readEnd = -1;
        }
    }

    const QString name;  // KWin's name of the monitor; empty for the whole desktop
    const QRect geometry;
    std::function<void(KWinShot*)> whenDone;

private:
    void readSome() {
        while (m_readEnd >= 0 && !(m_needed > 0 && m_filled >= m_needed)) {
            if (m_filled == m_bytes.size()) {
                m_bytes.resize(std::max<qsizetype>(m_bytes.size() * 2, kPipeBytes));
            }
            const ssize_t n =
                ::read(m_readEnd, m_bytes.data() + m_filled, size_t(m_bytes.size() - m_filled));
            if (n > 0) {
                m_filled += n;
            } else if (n < 0 && errno == EINTR) {
                continue;
            } else {
                if (n == 0 || errno != EAGAIN) {
                    stop();  // the end, or a broken pipe: what came is all there is
                }
                break;
            }
        }
        const bool allRead = m_readEnd < 0 || (m_needed > 0 && m_filled >= m_needed);
        if (!m_done && !m_metadata.isEmpty() && allRead) {
            m_done = true;
            stop();
            whenDone(this);
        }
    }

    QByteArray m_bytes;  // m_filled of them read so far
    qsizetype m_filled = 0;
    qsizetype m_needed = 0;  // as announced; 0 until KWin has answered
    QVariantMap m_metadata;
    int m_readEnd = -1;
    QDBusUnixFileDescriptor m_writeEnd;
    QSocketNotifier* m_notifier = nullptr;
    bool m_done = false;
};

KWinScreenGrabber::KWinScreenGrabber(QObject* parent)
    : KWinScreenGrabber(QDBusConnection::sessionBus(), parent) {
}

KWinScreenGrabber::KWinScreenGrabber(const QDBusConnection& bus, QObject* parent)
    : ScreenGrabber(parent)
    , m_bus(bus)
    // XWayland names its monitors XWAYLAND0, XWAYLAND1, ..., not as KWin does.
    , m_wholeDesktop(QGuiApplication::platformName() == QLatin1String("xcb")) {
}

KWinScreenGrabber::~KWinScreenGrabber() {
    dropShots();
}

KWinScreenGrabber::KWinError KWinScreenGrabber::kwinError(const QString& errorName) {
    static const QStringList unavailable{
        QStringLiteral("org.kde.KWin.ScreenShot2.Error.NoAuthorized"),
        QStringLiteral("org.freedesktop.DBus.Error.AccessDenied"),
        QStringLiteral("org.freedesktop.DBus.Error.ServiceUnknown"),
        QStringLiteral("org.freedesktop.DBus.Error.NameHasNoOwner"),
        QStringLiteral("org.freedesktop.DBus.Error.UnknownObject"),
        QStringLiteral("org.freedesktop.DBus.Error.UnknownInterface"),
        QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod")};
    if (unavailable.contains(errorName)) {
        return KWinError::Unavailable;
    }
    if (errorName == QLatin1String("org.kde.KWin.ScreenShot2.Error.InvalidScreen")) {
        return KWinError::UnknownScreen;
    }
    return KWinError::Failed;
}

QImage KWinScreenGrabber::pictureOf(QByteArray bytes, const QVariantMap& metadata) {
    const uint number = metadata.value(QStringLiteral("format")).toUInt();
    const qsizetype width = metadata.value(QStringLiteral("width")).toUInt();
    const qsizetype height = metadata.value(QStringLiteral("height")).toUInt();
    const qsizetype stride = metadata.value(QStringLiteral("stride")).toUInt();
    if (number <= QImage::Format_Invalid || number >= QImage::NImageFormats || width <= 0 ||
        height <= 0 || width > 1 << 16 || height > 1 << 16) {
        return {};
    }
    const auto format = QImage::Format(number);
    const int bits = QImage::toPixelFormat(format).bitsPerPixel();
    if (stride < (width * bits + 7) / 8 || bytes.size() < stride * height) {
        return {};
    }
    // A screen is opaque: its (premultiplied) ARGB pixels are its RGB32 pixels.
    const bool rgb32 = format == QImage::Format_RGB32 || format == QImage::Format_ARGB32 ||
                       format == QImage::Format_ARGB32_Premultiplied;
    auto* owner = new QByteArray(std::move(bytes));
    QImage image(
        reinterpret_cast<uchar*>(owner->data()), int(width), int(height), stride,
        rgb32 ? QImage::Format_RGB32 : format,
        [](void* data) { delete static_cast<QByteArray*>(data); }, owner);
    if (!rgb32) {
        image = image.convertToFormat(QImage::Format_RGB32);
    }
    image.setDevicePixelRatio(1.0);
    return image;
}

void KWinScreenGrabber::setInteractive(bool interactive) {
    // Only the portal lets the user choose what to take.
    m_interactive = interactive;
    if (m_portal) {
        m_portal->setInteractive(interactive);
    }
}

PortalScreenGrabber* KWinScreenGrabber::portal() {
    if (!m_portal) {
        m_portal = new PortalScreenGrabber(m_bus, this);
        m_portal->setInteractive(m_interactive);
        connect(m_portal, &ScreenGrabber::grabbed, this, &ScreenGrabber::grabbed);
        connect(m_portal, &ScreenGrabber::refused, this, &ScreenGrabber::refused);
        connect(m_portal, &ScreenGrabber::failed, this, &ScreenGrabber::failed);
        connect(m_portal, &ScreenGrabber::denied, this, &ScreenGrabber::denied);
    }
    return m_portal;
}

void KWinScreenGrabber::start() {
    cancel();
    m_clock.start();
    if (m_interactive) {
        startWithPortal("the user chooses what to take");
    } else if (m_kwinUnavailable) {
        startWithPortal("KWin said no before");
    } else if (!m_bus.isConnected()) {
        startWithPortal("no session bus");  // which it reports
    } else {
        startShots();
    }
}

void KWinScreenGrabber::cancel() {
    if (!m_shots.isEmpty()) {
        qCInfo(lcCapture) << "KWin: given up after" << m_clock.elapsed() << "ms";
    }
    dropShots();
    if (m_portal) {
        m_portal->cancel();
    }
}

void KWinScreenGrabber::startWithPortal(const char* why) {
    qCInfo(lcCapture) << "KWin: reading the screen through the desktop portal:" << why;
    portal()->start();
}

void KWinScreenGrabber::startShots() {
    dropShots();
    const QList<QScreen*> screens = screensPrimaryFirst();
    if (m_wholeDesktop) {
        QRect bounds;
        double ratio = 1.0;
        for (QScreen* s : screens) {
            bounds |= s->geometry();
            ratio = std::max(ratio, s->devicePixelRatio());
        }
        m_shots.append(new KWinShot(QString(), bounds, deviceSize(bounds.size(), ratio), this));
    } else {
        for (QScreen* s : screens) {
            m_shots.append(new KWinShot(s->name(), s->geometry(),
                                        deviceSize(s->size(), s->devicePixelRatio()), this));
        }
    }
    qCInfo(lcCapture) << "KWin: asking for"
                      << (m_wholeDesktop ? QStringLiteral("the whole desktop")
                                         : QStringLiteral("%1 monitors").arg(m_shots.size()));
    const QVariantMap options{{QStringLiteral("include-cursor"), false},
                              {QStringLiteral("native-resolution"), true}};
    const quint64 round = m_round;
    for (KWinShot* shot : std::as_const(m_shots)) {
        if (!shot->open()) {
            qCInfo(lcCapture) << "KWin: no pipe:" << qt_error_string(errno);
            // Answered from the event loop, as every outcome is.
            QMetaObject::invokeMethod(
                this,
                [this, round] {
                if (round == m_round) {
                    dropShots();
                    startWithPortal("no pipe");
                }
                },
                Qt::QueuedConnection);
            return;
        }
        shot->whenDone = [this](KWinShot* done) { onShotDone(done); };
        QDBusMessage call = QDBusMessage::createMethodCall(
            kService, kPath, kInterface,
            m_wholeDesktop ? QStringLiteral("CaptureWorkspace") : QStringLiteral("CaptureScreen"));
        if (!m_wholeDesktop) {
            call << shot->name;
        }
        call << options << QVariant::fromValue(shot->takeWriteEnd());
        auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), shot);
        connect(watcher, &QDBusPendingCallWatcher::finished, shot,
                [this, shot, round](QDBusPendingCallWatcher* w) {
            // Its call keeps a duplicate of the pipe's write end until it goes.
            w->deleteLater();
            if (round != m_round) {
                return;
            }
            const QDBusPendingReply<QVariantMap> reply = *w;
            if (reply.isError()) {
                onShotError(reply.error().name(), reply.error().message());
                return;
            }
            qCDebug(lcCapture) << "KWin:" << shot->name << "answered after" << m_clock.elapsed()
                               << "ms:" << reply.value();
            shot->setMetadata(reply.value());
        });
    }
}

void KWinScreenGrabber::onShotDone(KWinShot* /*shot*/) {
    if (!std::all_of(m_shots.cbegin(), m_shots.cend(),
                     [](const KWinShot* s) { return s->done(); })) {
        return;
    }
    const qint64 readAfter = m_clock.elapsed();
    FrozenScreens frozen;
    for (KWinShot* shot : std::as_const(m_shots)) {
        const QImage picture = shot->picture();
        if (picture.isNull()) {
            qCInfo(lcCapture) << "KWin: too few pixels, or metadata not understood, for"
                              << (shot->name.isEmpty() ? QStringLiteral("the desktop")
                                                       : shot->name);
            dropShots();
            startWithPortal("KWin's picture was not readable");
            return;
        }
        if (!shot->name.isEmpty()) {
            frozen.append(FrozenScreen{shot->name, shot->geometry, picture});
            continue;
        }
        QList<MonitorPlace> places;
        for (QScreen* s : screensPrimaryFirst()) {
            places.append(MonitorPlace{s->name(), s->geometry(), s->devicePixelRatio()});
        }
        for (const MonitorPicture& part : splitDesktopPicture(picture, places)) {
            frozen.append(FrozenScreen{part.name, part.geometry, part.image});
        }
    }
    dropShots();
    for (const FrozenScreen& screen : std::as_const(frozen)) {
        qCInfo(lcCapture) << "monitor" << screen.name << screen.geometry << "frozen as"
                          << screen.image.size();
    }
    qCInfo(lcCapture) << "KWin: read in" << readAfter << "ms, ready after" << m_clock.elapsed()
                      << "ms";
    emit grabbed(frozen);
}

void KWinScreenGrabber::onShotError(const QString& errorName, const QString& message) {
    qCInfo(lcCapture) << "KWin: the call failed after" << m_clock.elapsed() << "ms:" << errorName
                      << message;
    dropShots();
    switch (kwinError(errorName)) {
    case KWinError::Unavailable:
        m_kwinUnavailable = true;
        startWithPortal("KWin does not let this program read the screen, or is not there");
        break;
    case KWinError::UnknownScreen:
        if (!m_wholeDesktop) {
            m_wholeDesktop = true;
            qCInfo(lcCapture) << "KWin: monitor names differ from KWin's; the whole desktop "
                                 "from now on";
            startShots();
            break;
        }
        [[fallthrough]];
    case KWinError::Failed:
        startWithPortal("KWin failed");
        break;
    }
}

void KWinScreenGrabber::dropShots() {
    ++m_round;
    for (KWinShot* shot : std::as_const(m_shots)) {
        // Perhaps within its own call's answer: deleted once that is over.
        shot->stop();
        shot->deleteLater();
    }
    m_shots.clear();
}

}  // namespace kiramo
