#pragma once

#include <QImage>

// What the canvas may show in place of the picture's colours: a transform of what is painted,
// never of the picture.
namespace kiramo {

enum class ViewTone { Colour, Greyscale, Values3, Values5 };

// The lightness of a colour, 0 to 255: luma of Rec. 601 weights, rounded.
[[nodiscard]] int lightnessOf(QRgb colour);
// The grey that `colour` shows as in `tone`: its lightness, or that lightness in 3 (5) flat
// steps, black to white in equal parts of the range; `colour` itself in Colour.
[[nodiscard]] QRgb toneOf(QRgb colour, ViewTone tone);
// `image` (Format_RGB32) with every pixel in `tone`, optionally turned left to right.
[[nodiscard]] QImage toneImage(const QImage& image, ViewTone tone, bool mirrored);

}  // namespace kiramo
