#pragma once

#include <QImage>

namespace kiramo::testing {

// A picture whose pixel (x, y) is (x % 256, y % 256, blue): every block of it tells where it
// came from.
[[nodiscard]] inline QImage patternImage(QSize size, int blue = 77) {
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            line[x] = qRgb(x % 256, y % 256, blue);
        }
    }
    return image;
}

}  // namespace kiramo::testing
