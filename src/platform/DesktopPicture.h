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

// Where a monitor's frozen pixels come from and how many there are: `block` of the desktop's
// picture (see monitorBlock), shown as `size` pixels on the monitor.
struct MonitorPart {
    QRect block;
    QSize size;
    bool operator==(const MonitorPart&) const = default;
};
// Each monitor's part of a `picture` of the whole desktop whose monitors lie at `geometries`
// (logical) with the toolkit's `ratios` (device pixels per logical pixel). The picture's own
// size says how fine it is; a toolkit's ratio may be wrong (mutter's virtual monitor at scale 2
// is reported as 1920x1080 at ratio 2 while the picture, and the screen, are 1920x1080 pixels),
// so the ratio only ever makes a part smaller: a monitor of a smaller scale than the picture
// (where monitors' scales differ) gets its block scaled down to its device pixels; a part is
// never enlarged beyond the picture's pixels, which are what the screen showed.
[[nodiscard]] QList<MonitorPart> monitorParts(QSize picture, const QList<QRect>& geometries,
                                              const QList<double>& ratios);

// Each monitor's part of a picture of the whole desktop, as monitorParts() says, ratio 1.
struct MonitorPicture {
    QString name;
    QRect geometry;
    QImage image;
};
[[nodiscard]] QList<MonitorPicture> splitDesktopPicture(const QImage& picture,
                                                        const QList<MonitorPlace>& monitors);

}  // namespace kiramo
