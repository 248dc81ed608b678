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
};

}  // namespace kiramo
