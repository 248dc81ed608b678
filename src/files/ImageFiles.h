#pragma once

#include <QImage>
#include <QString>

class QIODevice;

namespace kiramo {

class Workspace;

// The memory that Qt's decoders may take for one picture, in megabytes: a picture of
// kMaxPictureSide x kMaxPictureSide pixels (the largest that a load accepts) at 4 bytes each.
inline constexpr int kLoadLimitMegabytes = 1024;

// The picture on `device`, from its current position: Windows bitmaps by the program's own
// decoder, other formats by Qt's. An opaque RGB32 image whose sides are 1 to 16384 pixels, or
// a null image with `error` set to the message for the user. Needs no widget.
[[nodiscard]] QImage decodePicture(QIODevice& device, QString* error);

// The picture in the file at `path`, opened once. A folder, a pipe or a device is refused
// without being opened; a file that cannot be opened gets the system's reason.
[[nodiscard]] QImage readPictureFile(const QString& path, QString* error);

// True when the picture loader reads the file at `path` (by its contents, not its name).
[[nodiscard]] bool canLoadPicture(const QString& path);

// Loads the picture at `path` into the canvas, with its caption, commit and enabled commands.
// On failure the user sees the decoder's error; the canvas is left empty, the caption without
// subject and the current file cleared, while P2, the window and the menus stay as they were.
void LoadCanvasImage(Workspace& workspace, const QString& path);

// Writes the canvas (grids included) to `name` in the format its extension asks for (PNG, JPEG,
// TIFF, ... where the picture writer has it), as a 24-bit Windows bitmap for ".bmp" and every
// other name, asking first when a file of that name exists. The file is encoded whole in memory
// and then put in place by replaceFileContents, so a failed save leaves an existing file as it
// was, and a pipe, a device or a folder of that name is refused. On success `name` becomes the
// current file and the caption names it; on failure a beep and the error, nothing else changed.
void SaveImageFile(Workspace& workspace, const QString& name);

}  // namespace kiramo
