#include "core/BitmapCodec.h"

#include <QIODevice>
#include <QtEndian>

#include <cstring>
#include <vector>

namespace kiramo {

namespace {

constexpr qint64 kFileHeader = 14;
constexpr qint64 kInfoHeader = 40;
// Rows are read and written in blocks of about this many bytes.
constexpr qint64 kBlockBytes = 4 << 20;

quint32 u32(const char* p) {
    return qFromLittleEndian<quint32>(p);
}

}  // namespace

std::optional<PlainBitmap> plainBitmapHeader(const QByteArray& header) {
    if (header.size() < kFileHeader + kInfoHeader || !header.startsWith("BM")) {
        return std::nullopt;
    }
    const char* p = header.constData();
    const quint32 infoSize = u32(p + 14);
    const qint32 width = static_cast<qint32>(u32(p + 18));
    const qint32 height = static_cast<qint32>(u32(p + 22));
    const quint16 planes = qFromLittleEndian<quint16>(p + 26);
    const quint16 bits = qFromLittleEndian<quint16>(p + 28);
    const quint32 compression = u32(p + 30);
    const quint32 offset = u32(p + 10);
    if (infoSize < kInfoHeader || planes != 1 || compression != 0 || (bits != 24 && bits != 32) ||
        width <= 0 || height == 0 || height == std::numeric_limits<qint32>::min() ||
        offset < kFileHeader + infoSize) {
        return std::nullopt;
    }
    PlainBitmap bitmap;
    bitmap.width = width;
    bitmap.height = height < 0 ? -static_cast<qint64>(height) : height;
    bitmap.topDown = height < 0;
    bitmap.bits = bits;
    bitmap.offset = offset;
    bitmap.stride = ((bitmap.width * bits + 31) / 32) * 4;
    return bitmap;
}

QImage readPlainBitmap(QIODevice& device, const PlainBitmap& bitmap, QString* error) {
    QImage image(static_cast<int>(bitmap.width), static_cast<int>(bitmap.height),
                 QImage::Format_RGB32);
    if (image.isNull()) {
        *error = QStringLiteral("Not enough memory for a picture of %1 x %2 pixels")
                     .arg(bitmap.width)
                     .arg(bitmap.height);
        return QImage();
    }
    if (!device.seek(bitmap.offset)) {
        *error = device.errorString();
        return QImage();
    }
    const qint64 rowsPerBlock = std::max<qint64>(1, kBlockBytes / bitmap.stride);
    std::vector<uchar> block(static_cast<size_t>(rowsPerBlock * bitmap.stride));
    const int bytesPerPixel = bitmap.bits / 8;
    for (qint64 row = 0; row < bitmap.height; row += rowsPerBlock) {
        const qint64 rows = std::min(rowsPerBlock, bitmap.height - row);
        const qint64 wanted = rows * bitmap.stride;
        if (device.read(reinterpret_cast<char*>(block.data()), wanted) != wanted) {
            *error = QStringLiteral("The bitmap file ends early");
            return QImage();
        }
        for (qint64 r = 0; r < rows; ++r) {
            const qint64 fileRow = row + r;
            const int y = static_cast<int>(bitmap.topDown ? fileRow : bitmap.height - 1 - fileRow);
            const uchar* src = block.data() + r * bitmap.stride;
            auto* dst = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (qint64 x = 0; x < bitmap.width; ++x, src += bytesPerPixel) {
                dst[x] = 0xff000000u | (uint(src[2]) << 16) | (uint(src[1]) << 8) | src[0];
            }
        }
    }
    return image;
}

bool writeBitmap(QIODevice& device, const QImage& source, QString* error) {
    if (source.isNull()) {
        *error = QStringLiteral("There is no picture to write");
        return false;
    }
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    const qint64 width = image.width();
    const qint64 height = image.height();
    const qint64 stride = ((width * 24 + 31) / 32) * 4;
    const qint64 pixelBytes = stride * height;
    if (kFileHeader + kInfoHeader + pixelBytes > std::numeric_limits<quint32>::max()) {
        *error = QStringLiteral("The picture is too large for a bitmap file");
        return false;
    }
    QByteArray header(kFileHeader + kInfoHeader, 0);
    char* h = header.data();
    h[0] = 'B';
    h[1] = 'M';
    qToLittleEndian<quint32>(static_cast<quint32>(kFileHeader + kInfoHeader + pixelBytes), h + 2);
    qToLittleEndian<quint32>(kFileHeader + kInfoHeader, h + 10);
    qToLittleEndian<quint32>(kInfoHeader, h + 14);
    qToLittleEndian<qint32>(static_cast<qint32>(width), h + 18);
    qToLittleEndian<qint32>(static_cast<qint32>(height), h + 22);
    qToLittleEndian<quint16>(1, h + 26);
    qToLittleEndian<quint16>(24, h + 28);
    qToLittleEndian<quint32>(static_cast<quint32>(pixelBytes), h + 34);
    qToLittleEndian<qint32>(3780, h + 38);  // 96 DPI in pixels a metre
    qToLittleEndian<qint32>(3780, h + 42);
    if (device.write(header) != header.size()) {
        *error = device.errorString();
        return false;
    }
    const qint64 rowsPerBlock = std::max<qint64>(1, kBlockBytes / stride);
    std::vector<uchar> block(static_cast<size_t>(rowsPerBlock * stride), 0);
    for (qint64 row = 0; row < height; row += rowsPerBlock) {
        const qint64 rows = std::min(rowsPerBlock, height - row);
        for (qint64 r = 0; r < rows; ++r) {
            // Bottom-up: the file's first row is the picture's last.
            const auto* src =
                reinterpret_cast<const QRgb*>(image.constScanLine(int(height - 1 - row - r)));
            uchar* dst = block.data() + r * stride;
            for (qint64 x = 0; x < width; ++x) {
                *dst++ = static_cast<uchar>(qBlue(src[x]));
                *dst++ = static_cast<uchar>(qGreen(src[x]));
                *dst++ = static_cast<uchar>(qRed(src[x]));
            }
        }
        const qint64 bytes = rows * stride;
        if (device.write(reinterpret_cast<const char*>(block.data()), bytes) != bytes) {
            *error = device.errorString();
            return false;
        }
    }
    return true;
}

}  // namespace kiramo
