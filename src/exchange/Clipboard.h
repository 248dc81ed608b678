#pragma once

namespace kiramo {

class Workspace;

// "&Copy": the selection (which then ends) or, without one, the whole canvas with its grid
// lines, onto the clipboard as a picture.
void copyCommand(Workspace& workspace);

// "&Paste": a picture from the clipboard becomes the canvas; without one, a beep. The caption
// and the current file stay.
void pasteCommand(Workspace& workspace);

}  // namespace kiramo
