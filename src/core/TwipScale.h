#pragma once

#include <QPointF>
#include <QSizeF>

namespace kiramo {

// Twips per device pixel, across (`x`) and down (`y`): horizontal lengths convert with the
// first, vertical ones with the second. One value, so that the two cannot change places on the
// way. 15 each at 96 DPI without scaling; a window that works in pixels itself (the capture
// window) has a scale of 1.
struct TwipScale {
    double x = 15.0;
    double y = 15.0;

    [[nodiscard]] constexpr double toTwipsX(double pixels) const { return pixels * x; }
    [[nodiscard]] constexpr double toTwipsY(double pixels) const { return pixels * y; }
    [[nodiscard]] constexpr double toPixelsX(double twips) const { return twips / x; }
    [[nodiscard]] constexpr double toPixelsY(double twips) const { return twips / y; }
    [[nodiscard]] constexpr QPointF toTwips(QPointF pixels) const {
        return QPointF(toTwipsX(pixels.x()), toTwipsY(pixels.y()));
    }
    [[nodiscard]] constexpr QPointF toPixels(QPointF twips) const {
        return QPointF(toPixelsX(twips.x()), toPixelsY(twips.y()));
    }
    [[nodiscard]] constexpr QSizeF toTwips(QSizeF pixels) const {
        return QSizeF(toTwipsX(pixels.width()), toTwipsY(pixels.height()));
    }
    [[nodiscard]] constexpr QSizeF toPixels(QSizeF twips) const {
        return QSizeF(toPixelsX(twips.width()), toPixelsY(twips.height()));
    }
};

}  // namespace kiramo
