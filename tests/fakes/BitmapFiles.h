#pragma once

#include <QByteArray>
#include <QtEndian>

// Windows bitmap files built byte by byte, for the tests of the reader and of the ways in.
namespace kiramo::testing {

inline QByteArray le32(qint32 v) {
    QByteArray b(4, 0);
    qToLittleEndian(v, b.data());
    return b;
}

inline QByteArray le16(qint16 v) {
    QByteArray b(2, 0);
    qToLittleEndian(v, b.data());
    return b;
}

// A Windows bitmap with a BITMAPINFOHEADER, 24 or 32 bits a pixel, bottom-up or top-down
// (negative height), whose pixel (x, y) is (x * 40, y * 40, 200).
inline QByteArray bitmap(int width, int height, int bits, bool topDown) {
    const int stride = ((width * bits / 8) + 3) & ~3;
    QByteArray pixels;
    for (int row = 0; row < height; ++row) {
        const int y = topDown ? row : height - 1 - row;
        QByteArray line;
        for (int x = 0; x < width; ++x) {
            line.append(char(200)).append(char(y * 40)).append(char(x * 40));  // B, G, R
            if (bits == 32) {
                line.append(char(0));
            }
        }
        line.append(QByteArray(stride - line.size(), 0));
        pixels.append(line);
    }
    QByteArray file = "BM" + le32(54 + pixels.size()) + le32(0) + le32(54);
    file += le32(40) + le32(width) + le32(topDown ? -height : height) + le16(1) + le16(bits) +
            le32(0) + le32(pixels.size()) + le32(2835) + le32(2835) + le32(0) + le32(0);
    return file + pixels;
}

// A bitmap file: the file header, then `headers` (info header, masks, palette), then `pixels`.
inline QByteArray bmpFile(const QByteArray& headers, const QByteArray& pixels) {
    const int offset = 14 + int(headers.size());
    return "BM" + le32(offset + int(pixels.size())) + le32(0) + le32(offset) + headers + pixels;
}

// An info header of `size` bytes: Windows 3.x when 40, V4 or V5 when 108 or 124 (with `masks`
// after the first 40 bytes), OS/2 2.x when 16 to 64. What it does not set is zero.
inline QByteArray infoHeader(int width, int height, int bits, int compression = 0, int colours = 0,
                             int size = 40, const QByteArray& masks = QByteArray()) {
    QByteArray h = le32(size) + le32(width) + le32(height) + le16(1) + le16(qint16(bits)) +
                   le32(compression) + le32(0) + le32(2835) + le32(2835) + le32(colours) + le32(0) +
                   masks;
    h.resize(size, 0);
    return h;
}

// The 12-byte header of OS/2 1.x: unsigned 16-bit sides.
inline QByteArray coreHeader(int width, int height, int bits) {
    return le32(12) + le16(qint16(width)) + le16(qint16(height)) + le16(1) + le16(qint16(bits));
}

}  // namespace kiramo::testing
