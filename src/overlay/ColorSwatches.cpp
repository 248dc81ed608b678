#include "overlay/ColorSwatches.h"

#include "core/NumberText.h"

#include <QPainter>

#include <cmath>

namespace kiramo {

int lastSwatchIndex(double outerWidth, double side) {
    if (!(side > 0.0)) {
        return -1;
    }
    return static_cast<int>(roundHalfEven(outerWidth / side)) - 1;
}

void pushSwatch(QImage& strip, QRgb colour, int n, double side, double twipsPerPixelX,
                double twipsPerPixelY, QRgb background) {
    // Twips to pixels, rounding down, for read points and swatch edges alike.
    auto px = [&](double twips) { return static_cast<int>(std::floor(twips / twipsPerPixelX)); };
    auto py = [&](double twips) { return static_cast<int>(std::floor(twips / twipsPerPixelY)); };
    const int height = py(side);
    QPainter painter(&strip);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    auto fillSwatch = [&](int i, QRgb rgb) {
        painter.fillRect(QRect(QPoint(px(i * side), 0), QPoint(px((i + 1) * side) - 1, height - 1)),
                         QColor::fromRgb(rgb));
    };
    for (int i = n; i >= 1; --i) {
        const QPoint read(px(i * side - 3.0), py(3.0));
        const QRgb left = strip.valid(read) ? strip.pixel(read) : background;
        fillSwatch(i, left);
    }
    fillSwatch(0, colour);
}

}  // namespace kiramo
