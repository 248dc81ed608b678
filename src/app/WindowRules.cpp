#include "app/WindowRules.h"

#include <algorithm>

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

int startupWindowWidth(int designInnerWidth, int frameExtraWidth, int menuBarWidth) {
    return std::max(designInnerWidth + frameExtraWidth, menuBarWidth);
}

}  // namespace kiramo
