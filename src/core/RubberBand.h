#pragma once

#include "core/TwipScale.h"

#include <QSizeF>
#include <QString>
#include <Qt>

#include <optional>

// The rules by which a rectangle drawn from an anchor follows the pointer: on the capture
// window in pixels, on the canvas in twips. The unit does not matter to the rules.
namespace kiramo {

// Shift, Ctrl or Alt: any of them makes a FreeSize rectangle square and turns a mode's ratio.
[[nodiscard]] bool isRatioModifier(Qt::KeyboardModifiers modifiers);

// The rectangle's new size for a pointer at (w, h) from the anchor, or nothing when it keeps
// its last size. It grows only right and down: w and h must both exceed 1.
// FreeSize (modeIndex 0): (w, h), or (h, h) with a modifier.
// A mode: the height leads; the width is h x second size / first size, or with a modifier
// h x first / second. A ratio that would divide by zero, or give a size that is not finite,
// leaves the rectangle as it was.
[[nodiscard]] std::optional<QSizeF> stretchedSize(double w, double h, bool modifier, int modeIndex,
                                                  double modeWidth, double modeHeight);

// The capture band's caption: "320 x 200" in FreeSize, "A4 283x200" in a mode (whole numbers,
// a half to the even neighbour).
[[nodiscard]] QString captureCaption(QSizeF pixels, int modeIndex, const QString& modeName);

// The canvas selection's caption: its size in pixels "100 x 50" in FreeSize, the mode's name
// alone in a mode.
[[nodiscard]] QString selectionCaption(QSizeF twips, TwipScale scale, int modeIndex,
                                       const QString& modeName);

}  // namespace kiramo
