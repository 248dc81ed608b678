#pragma once

class QImage;

namespace kiramo {

class Workspace;

// "&Copy": the selection (which then ends) or, without one, the whole canvas with its grid
// lines, onto the clipboard as a picture.
void copyCommand(Workspace& workspace);

// "&Paste": a picture from the clipboard becomes the canvas; without one, a beep. The caption
// and the current file stay.
void pasteCommand(Workspace& workspace);

// A picture from another program (the clipboard's, or one dropped on the window) becomes the
// canvas, laid on white where it is transparent; the selection ends, the caption and the current
// file stay. A null picture gets a beep and changes nothing.
void pastePicture(Workspace& workspace, const QImage& picture);

}  // namespace kiramo
