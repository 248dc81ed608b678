#include "app/WindowRules.h"

#include <algorithm>

namespace kiramo {

QSize committedWindowSize(QSize canvas, int frameExtraWidth, int frameExtraHeight, int minFormWidth,
                          int stripHeight) {
    const int width = std::max(canvas.width() + frameExtraWidth, minFormWidth);
    const int height = canvas.height() + frameExtraHeight + std::max(stripHeight, 0);
    return QSize(width, height);
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
