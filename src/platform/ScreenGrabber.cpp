#include "platform/ScreenGrabber.h"

#include "platform/Logging.h"
#include "platform/PortalScreenGrabber.h"
#include "platform/X11ScreenGrabber.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

namespace kiramo {

ScreenSource screenSourceFor(const QString& platformName, const QString& sessionType,
                             const QString& waylandDisplay) {
    if (platformName.startsWith(QLatin1String("wayland"))) {
        return ScreenSource::Portal;
    }
    if (platformName == QLatin1String("xcb") &&
        (sessionType == QLatin1String("wayland") || !waylandDisplay.isEmpty())) {
        return ScreenSource::Portal;  // XWayland: an X grab would miss every Wayland window
    }
    return ScreenSource::X11;
}

ScreenGrabber* createScreenGrabber(QObject* parent) {
    const ScreenSource source =
        screenSourceFor(QGuiApplication::platformName(), qEnvironmentVariable("XDG_SESSION_TYPE"),
                        qEnvironmentVariable("WAYLAND_DISPLAY"));
    qCInfo(lcCapture) << "grabber:" << (source == ScreenSource::Portal ? "desktop portal" : "X11")
                      << "for platform" << QGuiApplication::platformName() << "XDG_SESSION_TYPE"
                      << qEnvironmentVariable("XDG_SESSION_TYPE") << "WAYLAND_DISPLAY"
                      << qEnvironmentVariable("WAYLAND_DISPLAY");
    for (QScreen* screen : screensPrimaryFirst()) {
        qCInfo(lcCapture) << "monitor" << screen->name() << screen->geometry() << "ratio"
                          << screen->devicePixelRatio();
    }
    if (source == ScreenSource::Portal) {
        return new PortalScreenGrabber(parent);
    }
    return new X11ScreenGrabber(parent);
}

QList<QScreen*> screensPrimaryFirst() {
    QList<QScreen*> screens = QGuiApplication::screens();
    QScreen* primary = QGuiApplication::primaryScreen();
    if (screens.removeOne(primary)) {
        screens.prepend(primary);
    }
    return screens;
}

FrozenScreens grabScreensWithToolkit() {
    FrozenScreens frozen;
    for (QScreen* screen : screensPrimaryFirst()) {
        // Window 0 is the root window on X11 and the desktop elsewhere; each monitor reads its
        // own part of it.
        QImage image = screen->grabWindow(0).toImage();
        image.setDevicePixelRatio(1.0);
        frozen.append(FrozenScreen{screen->name(), screen->geometry(), image});
    }
    return frozen;
}

}  // namespace kiramo
