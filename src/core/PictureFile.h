#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace kiramo {

class WorkProgress;

// The format that a file name asks for: the picture writer's format for its extension where
// the writer has one ("png", "jpg", "tiff", "webp", ...), else "bmp", a 24-bit Windows bitmap
// (".bmp" and every other name).
[[nodiscard]] QByteArray pictureFormatFor(const QString& path);

// The whole file that `image` makes in the format its name `path` asks for, encoded in memory
// so that nothing on the disk is touched before it is complete. Empty, with `error` set to the
// writer's reason, on failure. PNG goes through encodePng, for speed. With `progress`, the
// encoding may run on another thread: it reports there where it can, and stops (empty, `error`
// set) once the progress is abandoned.
[[nodiscard]] QByteArray encodePictureFile(const QString& path, const QImage& image, QString* error,
                                           WorkProgress* progress = nullptr);

}  // namespace kiramo
