#pragma once

#include <QRect>

namespace kiramo {

// A rectangle in the units of the window that holds a size label: twips on the canvas, device
// pixels on the capture window. Fractions are kept.
struct LabelRect {
    double left = 0.0;
    double top = 0.0;
    double width = 0.0;
    double height = 0.0;
    bool operator==(const LabelRect&) const = default;
};

// The block of canvas pixels that a selection covers: its size the nearest whole number of
// pixels (a half to the even neighbour), its corner rounded down. A label of 3000 x 1500 twips
// at (1500, 750), at 15 twips a pixel, covers the 200 x 100 block at (100, 50).
[[nodiscard]] QRect selectionBlock(const LabelRect& selection, double twipsPerPixelX,
                                   double twipsPerPixelY);

}  // namespace kiramo
