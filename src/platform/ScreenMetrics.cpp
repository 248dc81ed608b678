#include "platform/ScreenMetrics.h"

#include <QGuiApplication>
#include <QScreen>

namespace kiramo {

ScreenMetrics ScreenMetrics::fromPrimaryScreen() {
    ScreenMetrics metrics;
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return metrics;
    }
    const double ratio = screen->devicePixelRatio();
    const double dpiX = screen->logicalDotsPerInchX() * ratio;
    const double dpiY = screen->logicalDotsPerInchY() * ratio;
    if (dpiX > 0.0 && dpiY > 0.0) {
        metrics.twipsPerPixelX = 1440.0 / dpiX;
        metrics.twipsPerPixelY = 1440.0 / dpiY;
    }
    return metrics;
}

}  // namespace kiramo
