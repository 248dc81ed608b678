#include "core/Selection.h"

#include "core/NumberText.h"

#include <cmath>

namespace kiramo {

int pixelOfTwips(double twips, double twipsPerPixel) {
    // Far above the error of a division, far below any fraction of a pixel a position has.
    constexpr double kSlack = 1e-9;
    return static_cast<int>(std::floor(twips / twipsPerPixel + kSlack));
}

QRect selectionBlock(const LabelRect& selection, TwipScale scale) {
    return QRect(pixelOfTwips(selection.left, scale.x), pixelOfTwips(selection.top, scale.y),
                 roundHalfEven16(scale.toPixelsX(selection.width)),
                 roundHalfEven16(scale.toPixelsY(selection.height)));
}

}  // namespace kiramo
