#include "platform/WaylandRoundTrip.h"

#include "platform/Logging.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <qpa/qplatformnativeinterface.h>

#include <wayland-client.h>

namespace kiramo {

bool waylandRoundTrip() {
    if (!QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {  // -egl too
        return false;
    }
    QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
    auto* display = native == nullptr
                        ? nullptr
                        : static_cast<wl_display*>(native->nativeResourceForIntegration(
                              QByteArrayLiteral("wl_display")));
    if (display == nullptr) {
        return false;
    }
    QElapsedTimer clock;
    clock.start();
    // On a queue of its own: none of Qt's handlers runs from here.
    wl_event_queue* queue = wl_display_create_queue(display);
    const int dispatched = wl_display_roundtrip_queue(display, queue);
    wl_event_queue_destroy(queue);
    qCDebug(lcCapture) << "wayland: round trip in" << clock.nsecsElapsed() / 1e6 << "ms";
    return dispatched >= 0;
}

}  // namespace kiramo
