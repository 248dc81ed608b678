#include "core/ViewTone.h"

#include <array>

namespace kiramo {

int lightnessOf(QRgb colour) {
    return (299 * qRed(colour) + 587 * qGreen(colour) + 114 * qBlue(colour) + 500) / 1000;
}

QRgb toneOf(QRgb colour, ViewTone tone) {
    const int l = lightnessOf(colour);
    int grey = l;
    switch (tone) {
    case ViewTone::Colour:
        return colour;
    case ViewTone::Greyscale:
        break;
    case ViewTone::Values3:
    case ViewTone::Values5: {
        // Equal bands of the 256 lightnesses, each shown as its share of black to white.
        const int steps = tone == ViewTone::Values3 ? 3 : 5;
        const int band = l * steps / 256;
        grey = band * 255 / (steps - 1);
        break;
    }
    }
    return qRgb(grey, grey, grey);
}

QImage toneImage(const QImage& image, ViewTone tone, bool mirrored) {
    QImage out = mirrored ? image.mirrored(true, false) : image.copy();
    if (tone == ViewTone::Colour) {
        return out;
    }
    out = out.convertToFormat(QImage::Format_RGB32);
    // Each pixel's grey through a table of the lightness: luma by lookup is a third of the
    // arithmetic on a large picture.
    std::array<QRgb, 256> grey{};
    for (int l = 0; l < 256; ++l) {
        grey[l] = toneOf(qRgb(l, l, l), tone);
    }
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            line[x] = grey[lightnessOf(line[x])];
        }
    }
    return out;
}

}  // namespace kiramo
