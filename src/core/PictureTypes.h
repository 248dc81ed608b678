#pragma once

#include <QByteArray>
#include <QList>
#include <QStringList>

namespace kiramo {

// The name patterns of the pictures that Open loads: "*.bmp" (read by the program's own
// decoder) and "*.<format>" for each of `readerFormats` (as QImageReader lists them: lower-case
// names that are also the usual extensions). The common formats come first, in the order
// bmp png jpg jpeg gif webp, then the others alphabetically; each pattern once.
[[nodiscard]] QStringList picturePatterns(const QList<QByteArray>& readerFormats);

}  // namespace kiramo
