#include "core/GridStyle.h"

#include "core/ColourValues.h"

#include <algorithm>
#include <cmath>

namespace kiramo {

namespace {

constexpr double kThinnestLineMm = 0.25;

// A whole number within min..max, or `fallback`.
int wholeNumberIn(const QString& text, int min, int max, int fallback) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    return ok && value >= min && value <= max ? value : fallback;
}

}  // namespace

QColor GridStyle::penColour() const {
    QColor c = colour;
    c.setAlpha(static_cast<int>(std::lround(std::clamp(opacity, 0, 100) * 255 / 100.0)));
    return c;
}

GridStyle gridStyleFromText(const QString& colour, const QString& width, const QString& opacity) {
    GridStyle style;
    if (const std::optional<QRgb> rgb = parseHexColour(colour)) {
        style.colour = QColor::fromRgb(*rgb);
    }
    style.width = wholeNumberIn(width, GridStyle::kMinWidth, GridStyle::kMaxWidth, style.width);
    style.opacity = wholeNumberIn(opacity, 0, 100, style.opacity);
    return style;
}

double paperLineWidthMm(int widthPixels, double mmPerPixel) {
    return std::max(kThinnestLineMm, widthPixels * mmPerPixel);
}

}  // namespace kiramo
