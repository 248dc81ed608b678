#include "overlay/ColorSwatches.h"

#include "core/NumberText.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace kiramo {

int lastSwatchIndex(double outerWidth, double side) {
    if (!(side > 0.0)) {
        return -1;
    }
    return static_cast<int>(roundHalfEven(outerWidth / side)) - 1;
}

void pushSwatch(QImage& strip, QRgb colour, int n, double side, TwipScale scale, QRgb background) {
    // Twips to pixels, rounding down, for read points and swatch edges alike.
    auto px = [&](double twips) { return static_cast<int>(std::floor(scale.toPixelsX(twips))); };
    auto py = [&](double twips) { return static_cast<int>(std::floor(scale.toPixelsY(twips))); };
    // The strip is one swatch high: a swatch fills every row of it.
    const int height = strip.height();
    QPainter painter(&strip);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    auto fillSwatch = [&](int i, QRgb rgb) {
        painter.fillRect(QRect(QPoint(px(i * side), 0), QPoint(px((i + 1) * side) - 1, height - 1)),
                         QColor::fromRgb(rgb));
    };
    for (int i = n; i >= 1; --i) {
        // 3 twips short of swatch i - 1's right edge: its last pixel column at 15 twips a
        // pixel. Where that edge falls inside a pixel (at 12 twips a pixel, say), 3 twips may
        // not reach back across it; the read stays in swatch i - 1's last column then.
        const QPoint read(std::min(px(i * side - 3.0), px(i * side) - 1), py(3.0));
        const QRgb left = strip.valid(read) ? strip.pixel(read) : background;
        fillSwatch(i, left);
    }
    fillSwatch(0, colour);
}

QList<QRgb> swatchColours(const QImage& strip, int count, double side, TwipScale scale) {
    QList<QRgb> colours;
    for (int i = 0; i < count; ++i) {
        // Where pushSwatch begins to fill swatch i.
        const QPoint first(static_cast<int>(std::floor(scale.toPixelsX(i * side))), 0);
        if (!strip.valid(first)) {
            break;
        }
        colours.append(strip.pixel(first) | 0xff000000u);
    }
    return colours;
}

int swatchAt(double x, double side) {
    return side > 0.0 && x >= 0.0 ? static_cast<int>(std::floor(x / side)) : -1;
}

}  // namespace kiramo
