#include "core/WindowSighting.h"

#include <algorithm>

namespace kiramo {

namespace {

QImage asRgb32(const QImage& image) {
    return image.format() == QImage::Format_RGB32 ? image
                                                  : image.convertToFormat(QImage::Format_RGB32);
}

// How many of the looked-at pixels of the window's place show the window's own colour, and how
// many are black.
struct Tally {
    qint64 same = 0;
    qint64 black = 0;
    qint64 looked = 0;
};

Tally tally(const QImage& picture, const QImage& own, QPoint at) {
    Tally t;
    const QRect shown = QRect(at, own.size()).intersected(QRect(QPoint(0, 0), picture.size()));
    // Every fourth pixel of every fourth row is enough to tell, and quick on a large window.
    constexpr int kStep = 4;
    for (int y = shown.top(); y <= shown.bottom(); y += kStep) {
        const auto* on = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        const auto* mine = reinterpret_cast<const QRgb*>(own.constScanLine(y - at.y()));
        for (int x = shown.left(); x <= shown.right(); x += kStep) {
            t.same += ((on[x] ^ mine[x - at.x()]) & 0xffffffu) == 0 ? 1 : 0;
            t.black += (on[x] & 0xffffffu) == 0 ? 1 : 0;
            ++t.looked;
        }
    }
    return t;
}

}  // namespace

bool showsWindow(const QImage& screen, const WindowOnScreen& window) {
    if (window.pixels.isNull() ||
        !QRect(window.at, window.pixels.size()).intersects(QRect(QPoint(0, 0), screen.size()))) {
        return false;
    }
    const QImage picture = asRgb32(screen);
    const Tally t = tally(picture, asRgb32(window.pixels), window.at);
    if (t.looked == 0) {
        return false;
    }
    if (2 * t.same > t.looked) {
        return true;
    }
    if (t.black < t.looked) {
        return false;
    }
    // All black where the window lay: the window taken down but still drawn, if the desktop
    // around it (beyond its frame and title bar) is not black too.
    const QRect around = QRect(window.at, window.pixels.size()).adjusted(-48, -80, 48, 48);
    qint64 outside = 0;
    qint64 blackOutside = 0;
    const auto look = [&](int x, int y) {
        if (picture.rect().contains(x, y)) {
            ++outside;
            blackOutside += (picture.pixel(x, y) & 0xffffffu) == 0 ? 1 : 0;
        }
    };
    for (int x = around.left(); x <= around.right(); x += 4) {
        look(x, around.top());
        look(x, around.bottom());
    }
    for (int y = around.top(); y <= around.bottom(); y += 4) {
        look(around.left(), y);
        look(around.right(), y);
    }
    return outside > 0 && 2 * blackOutside < outside;
}

bool showsWindowAnywhere(const QImage& screen, const QImage& window) {
    if (window.isNull() || window.width() > screen.width() || window.height() > screen.height()) {
        return false;
    }
    const QImage picture = asRgb32(screen);
    const QImage own = asRgb32(window);
    // The run of pixels that starts the window's middle row is looked for in every row of the
    // screen, where the screen's colour changes (a window's flat inside would match all along
    // itself); then the start of its left column below the top, and only then the whole window,
    // a bounded number of times.
    const int row = own.height() / 2;
    const int run = std::min(16, own.width());
    const int column = std::min(16, own.height());
    const auto* key = reinterpret_cast<const QRgb*>(own.constScanLine(row));
    const auto sameColour = [](QRgb a, QRgb b) { return ((a ^ b) & 0xffffffu) == 0; };
    int candidates = 0;
    for (int y = row; y + (own.height() - row) <= picture.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        for (int x = 0; x + own.width() <= picture.width(); ++x) {
            if (x > 0 && sameColour(line[x - 1], key[0])) {
                continue;
            }
            bool matches = true;
            for (int i = 0; i < run && matches; ++i) {
                matches = sameColour(line[x + i], key[i]);
            }
            for (int i = 0; i < column && matches; ++i) {
                matches = sameColour(picture.pixel(x, y - row + i), own.pixel(0, i));
            }
            if (!matches) {
                continue;
            }
            const Tally t = tally(picture, own, QPoint(x, y - row));
            if (2 * t.same > t.looked) {
                return true;
            }
            if (++candidates >= 256) {
                return false;
            }
        }
    }
    return false;
}

}  // namespace kiramo
