#pragma once

#include <QImage>
#include <QString>

namespace kiramo {

// Writes `image` as a 24-bit Windows bitmap to the file at `path`, replacing any file there.
// The bitmap is written to a temporary file beside the target and moved over it only when
// complete, so a failed write leaves an existing file as it was. Where no temporary file can be
// created beside it (a folder the user may not write, holding a file the user may), the file is
// written in place. False, with `error` set to the reason, on failure.
[[nodiscard]] bool writeBitmapFile(const QString& path, const QImage& image, QString* error);

}  // namespace kiramo
