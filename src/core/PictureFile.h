#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace kiramo {

// The format that a file name asks for: the picture writer's format for its extension where
// the writer has one ("png", "jpg", "tiff", "webp", ...), else "bmp", a 24-bit Windows bitmap
// (".bmp" and every other name).
[[nodiscard]] QByteArray pictureFormatFor(const QString& path);

// Writes `image` to the file at `path` in the format its name asks for, replacing any file
// there. The picture is written to a temporary file beside the target and moved over it only
// when complete, so a failed write leaves an existing file as it was. Where no temporary file
// can be created beside it (a folder the user may not write, holding a file the user may), the
// file is written in place. False, with `error` set to the reason, on failure.
[[nodiscard]] bool writePictureFile(const QString& path, const QImage& image, QString* error);

}  // namespace kiramo
