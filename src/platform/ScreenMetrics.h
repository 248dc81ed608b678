#pragma once

namespace kiramo {

// The screen's measures in the units the program computes in. A twip is 1/1440 inch; the
// factors are twips per device pixel, so that one image pixel is one device pixel also on a
// scaled (HiDPI) screen. 15 at 96 DPI without scaling.
struct ScreenMetrics {
    double twipsPerPixelX = 15.0;
    double twipsPerPixelY = 15.0;

    [[nodiscard]] static ScreenMetrics fromPrimaryScreen();

    [[nodiscard]] double toTwipsX(double pixels) const { return pixels * twipsPerPixelX; }
    [[nodiscard]] double toTwipsY(double pixels) const { return pixels * twipsPerPixelY; }
    [[nodiscard]] double toPixelsX(double twips) const { return twips / twipsPerPixelX; }
    [[nodiscard]] double toPixelsY(double twips) const { return twips / twipsPerPixelY; }
    // Twips to logical pixels, the unit of widget geometry, for a widget with `ratio` device
    // pixels per logical pixel (QWidget::devicePixelRatioF). 15 twips each at 96 DPI.
    [[nodiscard]] double toLogicalX(double twips, double ratio) const {
        return twips / (twipsPerPixelX * ratio);
    }
    [[nodiscard]] double toLogicalY(double twips, double ratio) const {
        return twips / (twipsPerPixelY * ratio);
    }
};

}  // namespace kiramo
