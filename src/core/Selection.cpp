#include "core/Selection.h"

#include "core/NumberText.h"

#include <cmath>

namespace kiramo {

int pixelOfTwips(double twips, double twipsPerPixel) {
    // Far above the error of a division, far below any fraction of a pixel a position has.
    constexpr double kSlack = 1e-9;
    return static_cast<int>(std::floor(twips / twipsPerPixel + kSlack));
}

QRect selectionBlock(const LabelRect& selection, double twipsPerPixelX, double twipsPerPixelY) {
    return QRect(pixelOfTwips(selection.left, twipsPerPixelX),
                 pixelOfTwips(selection.top, twipsPerPixelY),
                 roundHalfEven16(selection.width / twipsPerPixelX),
                 roundHalfEven16(selection.height / twipsPerPixelY));
}

}  // namespace kiramo
