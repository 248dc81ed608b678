#include "platform/ScreenGrabber.h"

#include "platform/KWinScreenGrabber.h"
#include "platform/Logging.h"
#include "platform/PortalScreenGrabber.h"
#include "platform/X11ScreenGrabber.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

namespace kiramo {

ScreenSource screenSourceFor(const QString& platformName, const QString& sessionType,
                             const QString& waylandDisplay, const QString& currentDesktop) {
    const bool wayland = platformName.startsWith(QLatin1String("wayland")) ||
                         // XWayland: an X grab would miss every Wayland window
                         (platformName == QLatin1String("xcb") &&
                          (sessionType == QLatin1String("wayland") || !waylandDisplay.isEmpty()));
    if (!wayland) {
        return ScreenSource::X11;
    }
    const QStringList desktops = currentDesktop.split(u':');
    return desktops.contains(QLatin1String("KDE"), Qt::CaseInsensitive) ? ScreenSource::KWin
                                                                        : ScreenSource::Portal;
}

ScreenGrabber* createScreenGrabber(QObject* parent) {
    const ScreenSource source = screenSourceFor(
        QGuiApplication::platformName(), qEnvironmentVariable("XDG_SESSION_TYPE"),
        qEnvironmentVariable("WAYLAND_DISPLAY"), qEnvironmentVariable("XDG_CURRENT_DESKTOP"));
    const char* names[] = {"X11", "desktop portal", "KWin"};
    qCInfo(lcCapture) << "grabber:" << names[int(source)] << "for platform"
                      << QGuiApplication::platformName() << "XDG_SESSION_TYPE"
                      << qEnvironmentVariable("XDG_SESSION_TYPE") << "WAYLAND_DISPLAY"
                      << qEnvironmentVariable("WAYLAND_DISPLAY") << "XDG_CURRENT_DESKTOP"
                      << qEnvironmentVariable("XDG_CURRENT_DESKTOP");
    for (QScreen* screen : screensPrimaryFirst()) {
        qCInfo(lcCapture) << "monitor" << screen->name() << screen->geometry() << "ratio"
                          << screen->devicePixelRatio();
    }
    switch (source) {
    case ScreenSource::KWin:
        return new KWinScreenGrabber(parent);
    case ScreenSource::Portal:
        return new PortalScreenGrabber(parent);
    case ScreenSource::X11:
        break;
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
