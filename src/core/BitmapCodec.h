#pragma once

#include <QByteArrayView>
#include <QImage>
#include <QList>
#include <QString>

#include <array>
#include <optional>

class QIODevice;

namespace kiramo {

// The program's own reader and writer of Windows bitmaps. The reader takes every kind that the
// format allows: OS/2 1.x and 2.x headers, Windows headers up to V5; 1, 2, 4 and 8-bit palettes,
// RLE4 and RLE8, 16 and 32 bits with bit fields (5-5-5 by default), 24 bits; bottom-up or
// top-down. Its result is opaque RGB32: an alpha channel is not read. Every size it computes
// stays far from overflow, as sides beyond kMaxPictureSide are refused before anything else.

// The largest side, in pixels, of a picture that the program loads.
inline constexpr int kMaxPictureSide = 16384;

// How many bytes from the start of a file parseBitmapHeader needs to see every header it allows
// (file header, the largest info header, colour masks, 256 palette entries), with room to spare.
inline constexpr qint64 kBitmapHeaderBytes = 2048;

// How the pixel rows are stored.
enum class BitmapPixels {
    Indexed,  // 1, 2, 4 or 8 bits, each an index into `palette`
    Rle8,     // run-length encoded 8-bit indices
    Rle4,     // run-length encoded 4-bit indices
    Masks,    // 16 or 32 bits, each colour where its mask says
    Bgr24,    // 24 bits: blue, green, red
};

// Every fact of a bitmap's headers that decoding needs. Sizes are in pixels and bytes, offsets
// in bytes from the start of the file.
struct BitmapHeader {
    int infoSize = 0;  // 12: OS/2 1.x; 16 to 64: OS/2 2.x or Windows 3.x; 108, 124: Windows V4, V5
    int width = 0;     // 1 to kMaxPictureSide
    int height = 0;    // 1 to kMaxPictureSide
    bool topDown = false;  // the file's first row is the picture's top (a negative height)
    int bits = 0;          // 1, 2, 4, 8, 16, 24 or 32 a pixel
    BitmapPixels pixels = BitmapPixels::Bgr24;
    std::array<quint32, 3> masks{};  // red, green, blue; for BitmapPixels::Masks only
    QList<QRgb> palette;     // opaque colours, for palette kinds; indices beyond it read as black
    qint64 pixelOffset = 0;  // where the pixel data starts
    qint64 rowBytes = 0;     // uncompressed kinds: bytes a row, padded to 4
    qint64 pixelBytes = 0;   // uncompressed kinds: rowBytes * height; 0 for RLE

    friend bool operator==(const BitmapHeader&, const BitmapHeader&) = default;
};

// A header, or why there is none (the message for the user).
struct BitmapHeaderResult {
    std::optional<BitmapHeader> header;
    QString error;
};

// True when `start` (the first bytes of a file) carries the bitmap signature "BM".
[[nodiscard]] bool isBitmapSignature(QByteArrayView start);

// Reads the headers of a bitmap from `start`, the first bytes of its file (up to
// kBitmapHeaderBytes of them; more are ignored, fewer only when the file is shorter). Pure.
// The error tells a header cut short, a kind that is not supported, a picture too large, or
// values that cannot be.
[[nodiscard]] BitmapHeaderResult parseBitmapHeader(QByteArrayView start);

// Decodes the bitmap that starts at the device's current position into an opaque RGB32 image.
// A null image, with `error` set, when it is not a bitmap the reader accepts, when the data ends
// early, or when memory runs out. Needs no application object.
[[nodiscard]] QImage decodeBitmap(QIODevice& device, QString* error);

// Writes `image` as a 24-bit bottom-up Windows bitmap. False, with `error` set, on failure.
[[nodiscard]] bool writeBitmap(QIODevice& device, const QImage& image, QString* error);

// The same bitmap file, whole, in memory; empty, with `error` set, when it cannot be made.
[[nodiscard]] QByteArray encodeBitmap(const QImage& image, QString* error);

}  // namespace kiramo
