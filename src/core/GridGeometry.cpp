#include "core/GridGeometry.h"

#include <algorithm>
#include <cmath>

namespace kiramo {

namespace {

// The equal-parts spacing is a whole number of twips: below one it is 0, which would never
// reach the far edge.
constexpr double kSmallestEqualStep = 1.0;

// Offsets k x step from `origin`, k = first, first + 1, ..., while k x step <= length, at most
// one in each pixel (`unit` twips; the pixel of a position p is floor(p / unit)). Lines a pixel
// or more apart are all there. Closer together, every pixel from the first line's to the
// last's holds some of them and gets one: the first line in the first pixel, the middle of
// each pixel after it, the last line in the last. So the work is bounded by the pixels the
// length covers, however small the step. A step that is not a positive number gives none.
QList<double> lineOffsets(double origin, double length, double step, int first, double unit) {
    QList<double> offsets;
    if (!(step > 0.0) || !std::isfinite(step) || !std::isfinite(origin) || !std::isfinite(length) ||
        !(unit > 0.0) || first * step > length) {
        return offsets;
    }
    if (step >= unit) {
        for (double k = first; k * step <= length; ++k) {
            offsets.append(k * step);
        }
        return offsets;
    }
    const double count = std::floor(length / step);
    const double a = origin + first * step;
    const double b = std::isfinite(count) ? origin + count * step : origin + length;
    const double firstPixel = std::floor(a / unit);
    const double lastPixel = std::floor(b / unit);
    offsets.append(a - origin);
    for (double c = firstPixel + 1.0; c <= lastPixel; ++c) {
        offsets.append(std::min((c + 0.5) * unit, b) - origin);
    }
    return offsets;
}

}  // namespace

Grid divisionGrid(const QRectF& region, double n) {
    Grid grid;
    grid.dotted = n == 8.0;
    const double x0 = region.left();
    const double y0 = region.top();
    const double w = region.width();
    const double h = region.height();
    grid.lines.append(QLineF(x0, y0, x0 + w, y0 + h));
    grid.lines.append(QLineF(x0, y0 + h, x0 + w, y0));
    if (y0 != 0.0) {
        grid.frame = region;
    }
    for (int i = 1; i <= static_cast<int>(n) - 1; ++i) {
        const double x = x0 + i * w / n;
        const double y = y0 + i * h / n;
        grid.lines.append(QLineF(x, y0, x, y0 + h));
        grid.lines.append(QLineF(x0, y, x0 + w, y));
    }
    return grid;
}

double equalPartsStep(double width, double n) {
    return std::floor(width / n);
}

Grid equalPartsGrid(const QRectF& region, double step) {
    Grid grid;
    if (!(step >= kSmallestEqualStep)) {
        return grid;
    }
    const double x0 = region.left();
    const double y0 = region.top();
    const double w = region.width();
    const double h = region.height();
    for (int k = 0; k * step <= w; ++k) {
        grid.lines.append(QLineF(x0 + k * step, y0, x0 + k * step, y0 + h));
    }
    for (int k = 0; k * step <= h; ++k) {
        grid.lines.append(QLineF(x0 + w, y0 + k * step, x0, y0 + k * step));
    }
    return grid;
}

std::optional<double> centimetreStep(double width, double centimetres, double base) {
    if (!(base > 0.0) || !std::isfinite(base)) {
        return std::nullopt;
    }
    return width * (centimetres / base);
}

Grid centimetreGrid(const QRectF& selection, double step, TwipScale scale) {
    Grid grid;
    if (!(step > 0.0) || !std::isfinite(step)) {
        return grid;
    }
    const double x0 = selection.left();
    const double y0 = selection.top();
    const double w = selection.width();
    const double h = selection.height();
    for (double dx : lineOffsets(x0, w, step, 1, scale.x)) {
        grid.lines.append(QLineF(x0 + dx, y0, x0 + dx, y0 + h));
    }
    for (double dy : lineOffsets(y0, h, step, 1, scale.y)) {
        grid.lines.append(QLineF(x0, y0 + dy, x0 + w, y0 + dy));
    }
    grid.frame = selection;
    return grid;
}

}  // namespace kiramo
