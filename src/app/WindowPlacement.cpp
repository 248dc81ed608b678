#include "app/WindowPlacement.h"

#include <algorithm>

namespace kiramo {

QPoint placeOnScreen(QRect frame, QRect available) {
    QPoint place = frame.topLeft();
    place.rx() -= std::max(0, frame.right() - available.right());
    place.ry() -= std::max(0, frame.bottom() - available.bottom());
    place.rx() = std::max(place.x(), available.left());
    place.ry() = std::max(place.y(), available.top());
    return place;
}

QSize emptyWindowSize(QSize hint, int frameExtraWidth, int frameExtraHeight, int minFormWidth,
                      int stripHeight) {
    return QSize(std::max(hint.width() + frameExtraWidth, minFormWidth),
                 hint.height() + frameExtraHeight + std::max(stripHeight, 0));
}

}  // namespace kiramo
