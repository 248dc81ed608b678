#include "core/GridGeometry.h"

#include <cmath>

namespace kiramo {

namespace {

// Below one twip apart the lines could not be told apart on any screen, and a spacing of 0
// would never reach the far edge.
constexpr double kSmallestStep = 1.0;

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
    if (!(step >= kSmallestStep)) {
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

Grid centimetreGrid(const QRectF& selection, double step) {
    Grid grid;
    if (!(step >= kSmallestStep) || !std::isfinite(step)) {
        return grid;
    }
    const double x0 = selection.left();
    const double y0 = selection.top();
    const double w = selection.width();
    const double h = selection.height();
    for (int k = 1; k * step <= w; ++k) {
        grid.lines.append(QLineF(x0 + k * step, y0, x0 + k * step, y0 + h));
    }
    for (int k = 1; k * step <= h; ++k) {
        grid.lines.append(QLineF(x0, y0 + k * step, x0 + w, y0 + k * step));
    }
    grid.frame = selection;
    return grid;
}

}  // namespace kiramo
