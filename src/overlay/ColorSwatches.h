#pragma once

#include "core/TwipScale.h"

#include <QImage>
#include <QList>
#include <QRgb>

// The colour table: swatches along the strip under the canvas, the newest at the left. The
// colours exist only as the strip's pixels; shifting reads each swatch back from the strip.
// Lengths are twips unless said otherwise.
namespace kiramo {

// The highest swatch index n that a record shifts into, for a main window `outerWidth` twips
// wide and swatches `side` twips square: m - 1, with m the whole number nearest to
// outerWidth / side (a half to the even neighbour). 9690 twips with 285-twip swatches: 33.
[[nodiscard]] int lastSwatchIndex(double outerWidth, double side);

// Records `colour` in the strip image: for i = n down to 1, swatch i takes the colour read at
// (i x side - 3, 3) twips, just inside the right edge of swatch i - 1 (in its last pixel column
// at the latest); then swatch 0 is filled with `colour`. The image is
// one swatch high (device pixels, a part of one included): a swatch fills all its rows, from
// i x side to (i + 1) x side twips across. Swatches reaching beyond the image are cut off; a
// read point outside it reads `background`.
void pushSwatch(QImage& strip, QRgb colour, int n, double side, TwipScale scale, QRgb background);

// The colours of swatches 0 to count - 1, left to right, each read at its first pixel: as far as
// the strip's image reaches.
[[nodiscard]] QList<QRgb> swatchColours(const QImage& strip, int count, double side,
                                        TwipScale scale);

// The swatch at `x` twips across the strip: its index, -1 left of the strip.
[[nodiscard]] int swatchAt(double x, double side);

}  // namespace kiramo
