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

QList<MonitorPart> monitorParts(QSize picture, const QList<QRect>& geometries,
                                const QList<double>& ratios) {
    const QRect bounds = boundsOf(geometries);
    QList<MonitorPart> parts;
    for (qsizetype i = 0; i < geometries.size(); ++i) {
        const QRect geometry = geometries.at(i);
        const QRect block = monitorBlock(picture, geometries, geometry);
        const double ratio = ratios.value(i, 1.0);
        // The toolkit's device pixels, where fewer than the block's: the picture is finer.
        const QSize device(scaled(geometry.width(), ratio), scaled(geometry.height(), ratio));
        parts.append(
            MonitorPart{block, bounds.isEmpty() ? QSize() : block.size().boundedTo(device)});
    }
    return parts;
}

QList<MonitorPicture> splitDesktopPicture(const QImage& picture,
                                          const QList<MonitorPlace>& monitors) {
    QList<QRect> geometries;
    QList<double> ratios;
    for (const MonitorPlace& m : monitors) {
        geometries.append(m.geometry);
        ratios.append(m.ratio);
    }
    const QList<MonitorPart> cuts = monitorParts(picture.size(), geometries, ratios);
    QList<MonitorPicture> parts;
    for (qsizetype i = 0; i < monitors.size(); ++i) {
        // A single monitor is the whole picture: its pixels are shared rather than copied.
        const QRect block = cuts.at(i).block;
        QImage part = block == picture.rect() ? picture : picture.copy(block);
        if (part.size() != cuts.at(i).size && !part.isNull()) {
            part = part.scaled(cuts.at(i).size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        }
        part.setDevicePixelRatio(1.0);
        parts.append(MonitorPicture{monitors.at(i).name, monitors.at(i).geometry, part});
    }
    return parts;
}

}  // namespace kiramo
