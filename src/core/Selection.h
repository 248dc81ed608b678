#pragma once

#include "core/TwipScale.h"

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

// The pixel that holds the position `twips` at `twipsPerPixel`: the whole part of the quotient,
// where the position of a whole pixel k (k x twipsPerPixel) is pixel k even when the division
// misses k by its rounding error (at 175 %, 15 x (15 / 1.75) / (15 / 1.75) gives 14.99...).
[[nodiscard]] int pixelOfTwips(double twips, double twipsPerPixel);

// The block of canvas pixels that a selection covers: its size the nearest whole number of
// pixels (a half to the even neighbour), its corner rounded down. A label of 3000 x 1500 twips
// at (1500, 750), at 15 twips a pixel, covers the 200 x 100 block at (100, 50).
[[nodiscard]] QRect selectionBlock(const LabelRect& selection, TwipScale scale);

}  // namespace kiramo
