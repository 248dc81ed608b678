#pragma once

#include <QRect>

namespace kiramo {

class Form1;
struct LabelRect;

// The block of canvas pixels that a selection covers: its size the nearest whole number of
// pixels (a half to the even neighbour), its corner rounded down. A label of 3000 x 1500 twips
// at (1500, 750), at 15 twips a pixel, covers the 200 x 100 block at (100, 50).
[[nodiscard]] QRect selectionBlock(const LabelRect& selection, double twipsPerPixelX,
                                   double twipsPerPixelY);

// Cuts the selection out of the canvas into P4: black where the selection reaches beyond the
// canvas. The selection itself stays.
void cutSelection(Form1& form);

// "&Copy": the selection (which then ends) or, without one, the whole canvas with its grid
// lines, onto the clipboard as a picture.
void copyCommand(Form1& form);

// "&Paste": a picture from the clipboard becomes the canvas; without one, a beep. The caption
// and the current file stay.
void pasteCommand(Form1& form);

// What the Edit menu does as it opens: the centimetre grid needs a mode and a selection.
void editMenuOpening(Form1& form);

}  // namespace kiramo
