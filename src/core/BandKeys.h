#pragma once

#include "core/Selection.h"
#include "core/TwipScale.h"

#include <QSizeF>
#include <Qt>

#include <optional>

// The keyboard on a rectangle that exists: the capture band (in pixels) and the canvas
// selection (in twips). Steps are whole image pixels; the unit does not matter to the rules.
namespace kiramo {

enum class BandKeyAction { None, Move, Resize, Take, GiveUp };

// What key `key` with `modifiers` does, and by how many image pixels across (dx) and down (dy).
// Arrows move by one pixel, ten with Shift; Ctrl+arrows resize by one, ten with Ctrl+Shift;
// Return or Enter takes; Escape gives up. With Alt or Meta held a key is left to others. The
// keypad's flag makes no difference.
struct BandKeyStep {
    BandKeyAction action = BandKeyAction::None;
    int dx = 0;
    int dy = 0;
    bool operator==(const BandKeyStep&) const = default;
};

[[nodiscard]] BandKeyStep bandKeyStep(int key, Qt::KeyboardModifiers modifiers);

// `rect` moved by (dx, dy) image pixels (`unitsPerPixel` units each). It stops at the edges of
// a picture of `bounds` (in the rectangle's units): a move never takes its left or top edge
// below 0, nor its right or bottom edge past the picture's, and a rectangle that lies beyond an
// edge already is never moved further out (nor pulled in by a step it did not take).
[[nodiscard]] LabelRect movedBand(const LabelRect& rect, int dx, int dy, TwipScale unitsPerPixel,
                                  QSizeF bounds);

// The size after resizing by (dx, dy) image pixels, its top-left corner (the anchor) staying.
// FreeSize (modeIndex 0): each arrow changes its own side; a side that would come to 1 unit or
// less is refused. A mode: the height leads, as a stretch with the mouse: either arrow changes
// the height (right and down grow, left and up shrink) and the width follows the mode's ratio,
// turned as the rectangle is now turned (the ratio nearer to its shape), by the same rule as
// stretchedSize. Nothing when the size stays as it was.
[[nodiscard]] std::optional<QSizeF> resizedBand(QSizeF size, int dx, int dy,
                                                TwipScale unitsPerPixel, int modeIndex,
                                                double modeWidth, double modeHeight);

}  // namespace kiramo
