#pragma once

#include <QImage>
#include <QString>

#include <optional>

class QIODevice;

namespace kiramo {

// A fast reader and writer for the plain Windows bitmaps that the program itself writes and
// most programs exchange: uncompressed, 24 or 32 bits a pixel, bottom-up or top-down. Qt's own
// codec handles every other kind of file.

// The header facts of a plain bitmap.
struct PlainBitmap {
    qint64 width = 0;
    qint64 height = 0;  // always positive
    bool topDown = false;
    int bits = 0;       // 24 or 32
    qint64 offset = 0;  // where the pixel rows start
    qint64 stride = 0;  // bytes a row, padded to 4
};

// The header of a plain bitmap at the start of `header` (at least 54 bytes), or nothing when the
// file is another kind of bitmap or picture.
[[nodiscard]] std::optional<PlainBitmap> plainBitmapHeader(const QByteArray& header);

// Reads the pixel rows of a plain bitmap into an RGB32 image. Returns a null image, with
// `error` set, when the device ends early or the image cannot be allocated.
[[nodiscard]] QImage readPlainBitmap(QIODevice& device, const PlainBitmap& bitmap, QString* error);

// Writes `image` as a 24-bit bottom-up Windows bitmap. False, with `error` set, on failure.
[[nodiscard]] bool writeBitmap(QIODevice& device, const QImage& image, QString* error);

}  // namespace kiramo
