#include "core/WindowSighting.h"

#include <algorithm>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

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
    // Whether the window lies with its key run at (x, y); -1 once too many places were tried.
    const auto tryAt = [&](const QRgb* line, int x, int y) {
        if (x > 0 && sameColour(line[x - 1], key[0])) {
            return 0;
        }
        bool matches = true;
        for (int i = 1; i < run && matches; ++i) {
            matches = sameColour(line[x + i], key[i]);
        }
        for (int i = 0; i < column && matches; ++i) {
            matches = sameColour(picture.pixel(x, y - row + i), own.pixel(0, i));
        }
        if (!matches) {
            return 0;
        }
        const Tally t = tally(picture, own, QPoint(x, y - row));
        if (2 * t.same > t.looked) {
            return 1;
        }
        return ++candidates >= 256 ? -1 : 0;
    };
    const int lastX = picture.width() - own.width();
#ifdef __SSE2__
    // Four pixels at a time for the first one of the run, which is nearly never there.
    const __m128i opaque = _mm_set1_epi32(static_cast<int>(0xff000000u));
    const __m128i first = _mm_set1_epi32(static_cast<int>(key[0] | 0xff000000u));
#endif
    for (int y = row; y + (own.height() - row) <= picture.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        int x = 0;
#ifdef __SSE2__
        for (; x + 3 <= lastX; x += 4) {
            const __m128i four =
                _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(line + x)), opaque);
            const int found = _mm_movemask_epi8(_mm_cmpeq_epi32(four, first));
            for (int lane = 0; found != 0 && lane < 4; ++lane) {
                if ((found >> (4 * lane) & 0xf) != 0) {
                    if (const int r = tryAt(line, x + lane, y); r != 0) {
                        return r > 0;
                    }
                }
            }
        }
#endif
        for (; x <= lastX; ++x) {
            if (sameColour(line[x], key[0])) {
                if (const int r = tryAt(line, x, y); r != 0) {
                    return r > 0;
                }
            }
        }
    }
    return false;
}

}  // namespace kiramo
