#pragma once

#include <QImage>
#include <QList>
#include <QRect>
#include <QString>

namespace kiramo {

// A monitor as the window system describes it.
struct MonitorPlace {
    QString name;
    QRect geometry;      // logical pixels of the desktop; may start left of or above (0, 0)
    double ratio = 1.0;  // device pixels per logical pixel
};

// The block of `picture`, a picture of the whole desktop, that shows the monitor at `geometry`,
// in the picture's pixels. The picture spans the bounds of all `geometries`, at whatever scale
// its maker chose (a compositor gives it at the largest monitor scale): the factor comes from
// the picture's size against those bounds.
[[nodiscard]] QRect monitorBlock(QSize picture, const QList<QRect>& geometries, QRect geometry);

// Each monitor's part of a picture of the whole desktop, at that monitor's device pixels
// (rescaled only where the picture's scale differs from the monitor's), ratio 1.
struct MonitorPicture {
    QString name;
    QRect geometry;
    QImage image;
};
[[nodiscard]] QList<MonitorPicture> splitDesktopPicture(const QImage& picture,
                                                        const QList<MonitorPlace>& monitors);

}  // namespace kiramo
