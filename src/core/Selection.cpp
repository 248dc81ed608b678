#include "core/Selection.h"

#include "core/NumberText.h"

#include <cmath>

namespace kiramo {

QRect selectionBlock(const LabelRect& selection, double twipsPerPixelX, double twipsPerPixelY) {
    return QRect(static_cast<int>(std::floor(selection.left / twipsPerPixelX)),
                 static_cast<int>(std::floor(selection.top / twipsPerPixelY)),
                 roundHalfEven16(selection.width / twipsPerPixelX),
                 roundHalfEven16(selection.height / twipsPerPixelY));
}

}  // namespace kiramo
