#pragma once

#include "core/PictureIntake.h"

#include <QImage>
#include <QString>

namespace kiramo {

class Workspace;
class WorkProgress;

// The picture in the file at `path`, opened once, by the rule of decodePicture. A folder, a
// pipe or a device is refused without being opened; a file that cannot be opened gets the
// system's reason. Every error names the file. With `progress`, the bytes read are counted
// there and the reading stops once it is abandoned (a null image).
[[nodiscard]] QImage readPictureFile(const QString& path, QString* error,
                                     WorkProgress* progress = nullptr);

// True when the picture loader reads the file at `path` (by its contents, not its name).
[[nodiscard]] bool canLoadPicture(const QString& path);

// Loads the picture at `path` into the canvas, with its caption, commit and enabled commands.
// The file is decoded off the UI thread (runOffUiThread), where a long load can be cancelled,
// which changes nothing. The file is decoded before anything changes: on failure the user sees the
// error, and the canvas with its grids, P2, the caption, the current file, the window and the menus
// stay as they were, so that a failed load loses no work.
void LoadCanvasImage(Workspace& workspace, const QString& path);

// Writes the canvas (grids included) to `name` in the format its extension asks for (PNG, JPEG,
// TIFF, ... where the picture writer has it), as a 24-bit Windows bitmap for ".bmp" and every
// other name, asking first when a file of that name exists. The file is encoded whole in memory
// and then put in place by replaceFileContents, both off the UI thread (runOffUiThread), so a
// failed save leaves an existing file as it was, and a pipe, a device or a folder of that name
// is refused; a long save can be cancelled, which keeps the old file and says nothing. On success
// `name` becomes the current file and the caption names it; on failure a beep and the error,
// nothing else changed.
void SaveImageFile(Workspace& workspace, const QString& name);
// SaveImageFile without the question: the file `name` is replaced as it is. False when nothing
// was written (the user has seen why).
bool writeCanvasFile(Workspace& workspace, const QString& name);

}  // namespace kiramo
