#include "platform/ScreenGrabber.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

namespace kiramo {

QImage QtScreenGrabber::grabScreen() {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return QImage();
    }
    // Window 0 is the root window on X11 and the desktop elsewhere: the screen as displayed.
    QImage image = screen->grabWindow(0).toImage();
    image.setDevicePixelRatio(1.0);
    return image;
}

}  // namespace kiramo
