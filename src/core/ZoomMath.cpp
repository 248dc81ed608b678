#include "core/ZoomMath.h"

#include <QLocale>

#include <algorithm>
#include <array>
#include <cmath>

namespace kiramo {

namespace {

constexpr std::array<double, 13> kSteps{1.0 / 8, 1.0 / 4, 1.0 / 3, 1.0 / 2, 2.0 / 3, 1.0, 1.5,
                                        2.0,     3.0,     4.0,     8.0,     16.0,    32.0};
// Zooms this close count as the same step: a fit of 0.4999999 is 1/2.
constexpr double kSame = 1e-9;

}  // namespace

std::span<const double> zoomSteps() {
    return kSteps;
}

double minimumZoom() {
    return kSteps.front();
}

double maximumZoom() {
    return kSteps.back();
}

double zoomInStep(double zoom) {
    for (const double step : kSteps) {
        if (step > zoom + kSame) {
            return step;
        }
    }
    return std::min(zoom, maximumZoom());
}

double zoomOutStep(double zoom) {
    for (auto it = kSteps.rbegin(); it != kSteps.rend(); ++it) {
        if (*it < zoom - kSame) {
            return *it;
        }
    }
    return std::max(zoom, minimumZoom());
}

double fitZoom(QSize image, QSize room) {
    if (image.isEmpty() || room.isEmpty()) {
        return 1.0;
    }
    double zoom =
        std::min(double(room.width()) / image.width(), double(room.height()) / image.height());
    if (zoom >= 1.0) {
        zoom = std::floor(zoom);
    }
    return std::clamp(zoom, minimumZoom(), maximumZoom());
}

QString zoomPercentText(double zoom) {
    const double percent = zoom * 100.0;
    // 12.5 keeps its half; 33.33 and 66.67 read as 33 and 67.
    const double shown = std::abs(percent - std::round(percent * 2) / 2) < 1e-6 && percent < 100
                             ? std::round(percent * 2) / 2
                             : std::round(percent);
    return QLocale::c().toString(shown, 'g', 6) + QStringLiteral(" %");
}

QSize ZoomView::viewSize() const {
    return QSize(int(std::ceil(image.width() * zoom - kSame)),
                 int(std::ceil(image.height() * zoom - kSame)));
}

QPoint ZoomView::imagePixelAt(QPoint view) const {
    // The pixel under the device pixel's centre, where the paint engine samples the image when
    // it scales it: at 150 % blocks of one and two device pixels take turns.
    const int x = int(std::floor((view.x() + 0.5) / zoom));
    const int y = int(std::floor((view.y() + 0.5) / zoom));
    return QPoint(mirrored ? image.width() - 1 - x : x, y);
}

QPointF ZoomView::viewPointOf(QPointF at) const {
    const double x = mirrored ? image.width() - at.x() : at.x();
    return QPointF(x * zoom, at.y() * zoom);
}

QRectF ZoomView::viewRectOf(const QRectF& at) const {
    return QRectF(viewPointOf(at.topLeft()), viewPointOf(at.bottomRight())).normalized();
}

QRect ZoomView::imageRectShownIn(const QRect& view) const {
    const int left = int(std::floor(view.left() / zoom + kSame));
    const int top = int(std::floor(view.top() / zoom + kSame));
    const int right = int(std::ceil((view.right() + 1) / zoom - kSame));
    const int bottom = int(std::ceil((view.bottom() + 1) / zoom - kSame));
    QRect shown(QPoint(left, top), QPoint(right - 1, bottom - 1));
    if (mirrored) {
        shown.moveLeft(image.width() - right);
    }
    return shown;
}

QPoint scrollKeeping(const ZoomView& view, QPointF image, QPointF pointer, QSize port) {
    const QPointF wanted = view.viewPointOf(image) - pointer;
    const QSize most = (view.viewSize() - port).expandedTo(QSize(0, 0));
    return QPoint(std::clamp(int(std::lround(wanted.x())), 0, most.width()),
                  std::clamp(int(std::lround(wanted.y())), 0, most.height()));
}

}  // namespace kiramo
