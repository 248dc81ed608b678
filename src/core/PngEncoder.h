#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace kiramo {

class WorkProgress;

// The PNG file of `image` (8-bit RGB; an image with an alpha channel keeps it as RGBA), made
// for speed: every row with the one of PNG's filters that suits it best by libpng's rule,
// compressed at a fast zlib level in bands on several threads at once, the bands joined into
// the one zlib stream that PNG has. Reports its rows to `progress` and stops when it is
// abandoned (empty result, `error` set). Empty, with `error` set, for a null image or a lack
// of memory.
[[nodiscard]] QByteArray encodePng(const QImage& image, WorkProgress* progress, QString* error);

}  // namespace kiramo
