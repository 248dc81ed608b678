#pragma once

#include <QByteArrayView>
#include <QImage>

namespace kiramo {

// The opaque RGB32 picture of the PNG file `bytes`, decoded the quick way: the whole compressed
// stream inflated at once (libdeflate, a few times zlib's speed on the long runs of a screenshot)
// and each row unfiltered straight into the picture. Only the kind of PNG a desktop's screenshot
// is: 8 bits per channel, RGB or RGBA, every pixel opaque, not interlaced. A null image for
// anything else, broken files included; the caller then reads the file the usual way.
[[nodiscard]] QImage decodeOpaquePng(QByteArrayView bytes);

}  // namespace kiramo
