#include "core/WindowSighting.h"

namespace kiramo {

bool showsWindow(const QImage& screen, const WindowOnScreen& window) {
    const QRect shown =
        QRect(window.at, window.pixels.size()).intersected(QRect(QPoint(0, 0), screen.size()));
    if (shown.isEmpty() || window.pixels.isNull()) {
        return false;
    }
    const QImage picture = screen.format() == QImage::Format_RGB32
                               ? screen
                               : screen.convertToFormat(QImage::Format_RGB32);
    const QImage own = window.pixels.format() == QImage::Format_RGB32
                           ? window.pixels
                           : window.pixels.convertToFormat(QImage::Format_RGB32);
    // Every fourth pixel of every fourth row is enough to tell, and quick on a large window.
    constexpr int kStep = 4;
    qint64 same = 0;
    qint64 looked = 0;
    for (int y = shown.top(); y <= shown.bottom(); y += kStep) {
        const auto* on = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        const auto* mine = reinterpret_cast<const QRgb*>(own.constScanLine(y - window.at.y()));
        for (int x = shown.left(); x <= shown.right(); x += kStep) {
            same += ((on[x] ^ mine[x - window.at.x()]) & 0xffffffu) == 0 ? 1 : 0;
            ++looked;
        }
    }
    return 2 * same > looked;
}

}  // namespace kiramo
