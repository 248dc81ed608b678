#pragma once

#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QSize>
#include <QString>

#include <span>

// How the canvas shows its picture at a zoom: a zoom is device pixels per image pixel (1 shows
// one image pixel on one device pixel, whatever the screen's scale factor). The picture itself
// never changes; only these mappings see the zoom.
namespace kiramo {

// The zoom steps, least first: 1/8 to 32, with 1/3 and 2/3 (shown as 33 % and 67 %).
[[nodiscard]] std::span<const double> zoomSteps();
[[nodiscard]] double minimumZoom();
[[nodiscard]] double maximumZoom();
// The next step above (below) `zoom`; `zoom` itself at the last (first) step. A zoom between
// two steps (a fit) goes to the nearer one in that direction.
[[nodiscard]] double zoomInStep(double zoom);
[[nodiscard]] double zoomOutStep(double zoom);

// The largest zoom at which a picture of `image` pixels fits in `room` device pixels. Below 1 any
// factor; above 1 only whole factors, so that every image pixel shows as a block of the same
// size. Kept within the steps' range; 1 for an empty picture or room.
[[nodiscard]] double fitZoom(QSize image, QSize room);

// "200 %", "33 %", "12.5 %": a zoom as the user reads it.
[[nodiscard]] QString zoomPercentText(double zoom);

// A picture of `image` pixels shown at `zoom`, left and right swapped when `mirrored`. View
// positions are device pixels from the view's top-left corner.
struct ZoomView {
    QSize image;
    double zoom = 1.0;
    bool mirrored = false;

    // The view's size: every image pixel whole, a part of a device pixel counting as one.
    [[nodiscard]] QSize viewSize() const;
    // The image pixel that device pixel `view` shows (outside the image where the view is).
    [[nodiscard]] QPoint imagePixelAt(QPoint view) const;
    // Where image position `image` (pixels, fractions kept) lies in the view, in device pixels.
    [[nodiscard]] QPointF viewPointOf(QPointF image) const;
    // The view's rectangle (device pixels, fractions kept) that shows `image`.
    [[nodiscard]] QRectF viewRectOf(const QRectF& image) const;
    // The image rectangle, whole pixels, that device rectangle `view` shows any part of.
    [[nodiscard]] QRect imageRectShownIn(const QRect& view) const;
};

// The scroll position (device pixels) that keeps image position `image` under `pointer` (device
// pixels of the viewport) at zoom `view`, within 0 .. the largest scroll of a viewport of `port`.
[[nodiscard]] QPoint scrollKeeping(const ZoomView& view, QPointF image, QPointF pointer,
                                   QSize port);

}  // namespace kiramo
