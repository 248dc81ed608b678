#include "app/WindowRules.h"

#include <algorithm>
#include <cmath>

namespace kiramo {

QSize committedWindowSize(QSize canvas, int frameExtraWidth, int frameExtraHeight, int minFormWidth,
                          int stripHeight) {
    const int width = std::max(canvas.width() + frameExtraWidth, minFormWidth);
    const int height = canvas.height() + frameExtraHeight + std::max(stripHeight, 0);
    return QSize(width, height);
}

QSize fitToScreen(QSize needed, QSize limit, int scrollBarExtent) {
    if (limit.isEmpty() || (needed.width() <= limit.width() && needed.height() <= limit.height())) {
        return needed;
    }
    int width = needed.width();
    int height = needed.height();
    bool across = width > limit.width();  // a horizontal scroll bar
    bool down = height > limit.height();  // a vertical one
    width += down ? scrollBarExtent : 0;
    height += across ? scrollBarExtent : 0;
    // One bar can make room short for the other direction too.
    if (!across && width > limit.width()) {
        height += scrollBarExtent;
    }
    if (!down && height > limit.height()) {
        width += scrollBarExtent;
    }
    return QSize(std::min(width, limit.width()), std::min(height, limit.height()));
}

std::optional<int> widthAfterResize(Qt::WindowStates state, int width, int minFormWidth) {
    if (state & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)) {
        return std::nullopt;
    }
    if (width >= minFormWidth) {
        return std::nullopt;
    }
    return minFormWidth;
}

namespace {

// As Qt scales a length to device pixels (a half rounding away from zero).
int toDevice(int logical, double ratio) {
    return static_cast<int>(std::lround(logical * ratio));
}

int stepBase(int length, double ratio) {
    const int step = std::max(1, toDevice(1, ratio));
    const int device = toDevice(length, ratio);
    for (int base = 0; base < 4 * step; ++base) {
        if ((device - toDevice(base, ratio)) % step == 0) {
            return base;
        }
    }
    return 0;
}

}  // namespace

QSize stepBaseSize(QSize size, double ratio) {
    return QSize(stepBase(size.width(), ratio), stepBase(size.height(), ratio));
}

int startupWindowWidth(int designInnerWidth, int frameExtraWidth, int menuBarWidth) {
    return std::max(designInnerWidth + frameExtraWidth, menuBarWidth);
}

}  // namespace kiramo
