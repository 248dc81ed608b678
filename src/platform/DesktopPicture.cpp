#include "platform/DesktopPicture.h"

#include <cmath>

namespace kiramo {

namespace {

QRect boundsOf(const QList<QRect>& geometries) {
    QRect bounds;
    for (const QRect& g : geometries) {
        bounds = bounds.united(g);
    }
    return bounds;
}

int scaled(int length, double factor) {
    return static_cast<int>(std::lround(length * factor));
}

}  // namespace

QRect monitorBlock(QSize picture, const QList<QRect>& geometries, QRect geometry) {
    const QRect bounds = boundsOf(geometries);
    if (bounds.isEmpty() || picture.isEmpty()) {
        return QRect();
    }
    const double fx = double(picture.width()) / bounds.width();
    const double fy = double(picture.height()) / bounds.height();
    // Edges are scaled, not sizes, so that neighbouring blocks meet without gap or overlap.
    const int left = scaled(geometry.left() - bounds.left(), fx);
    const int top = scaled(geometry.top() - bounds.top(), fy);
    const int right = scaled(geometry.left() + geometry.width() - bounds.left(), fx);
    const int bottom = scaled(geometry.top() + geometry.height() - bounds.top(), fy);
    return QRect(left, top, right - left, bottom - top);
}

QList<MonitorPicture> splitDesktopPicture(const QImage& picture,
                                          const QList<MonitorPlace>& monitors) {
    QList<QRect> geometries;
    for (const MonitorPlace& m : monitors) {
        geometries.append(m.geometry);
    }
    QList<MonitorPicture> parts;
    for (const MonitorPlace& m : monitors) {
        QImage part = picture.copy(monitorBlock(picture.size(), geometries, m.geometry));
        const QSize device(scaled(m.geometry.width(), m.ratio),
                           scaled(m.geometry.height(), m.ratio));
        if (part.size() != device && !part.isNull()) {
            part = part.scaled(device, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        }
        part.setDevicePixelRatio(1.0);
        parts.append(MonitorPicture{m.name, m.geometry, part});
    }
    return parts;
}

}  // namespace kiramo
