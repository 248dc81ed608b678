#pragma once

#include <QSizeF>
#include <QString>

// Which way a mode's rectangle stands, and the Landscape choice that turns it as a ratio
// modifier does.
namespace kiramo {

enum class Orientation { None, Portrait, Landscape };

// Portrait when `size` is taller than wide, landscape when wider than tall; None for a square
// or an empty size.
[[nodiscard]] Orientation orientationOf(QSizeF size);

// The modifier that the rubber-band rules (stretchedSize) get. In a mode the Landscape choice
// turns the ratio as a ratio modifier does, and the two together turn it back; in FreeSize
// (modeIndex 0) the choice does nothing and the modifier still makes a square.
[[nodiscard]] bool ratioModifier(bool modifierHeld, bool landscape, int modeIndex);

// What a mode's caption says of a rectangle of `size`: " 縦" (portrait) or " 横" (landscape),
// with its leading blank; "" in FreeSize and for a square.
[[nodiscard]] QString orientationSuffix(QSizeF size, int modeIndex);

}  // namespace kiramo
