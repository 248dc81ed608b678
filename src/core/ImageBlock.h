#pragma once

#include <QImage>

namespace kiramo {

// A w x h block of `source` whose top-left corner is (x, y), copied pixel for pixel. Pixels of
// the block that lie outside the source come out black. An empty block gives a null image.
[[nodiscard]] QImage copyImageBlock(const QImage& source, int x, int y, int w, int h);

}  // namespace kiramo
