#pragma once

#include <QRect>

namespace kiramo {

class Form1;

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
