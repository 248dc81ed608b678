// Fuzzes the picture loader: the bytes of a file go, through a QBuffer, to the program's own
// bitmap decoder and to decodePicture, the entry that LoadCanvasImage uses (Qt's decoders for
// what is not a bitmap). Checked: nothing crashes; a picture comes back as opaque RGB32 with
// sides of 1 to kMaxPictureSide pixels, a refusal with a message; both ways in agree on a
// bitmap; what the bitmap writer writes of a picture reads back the same.
//
// Pictures may be as large as 16384 x 16384 pixels (1 GB) from a file of a few bytes (an RLE
// bitmap that ends at once), so run it with -rss_limit_mb=4096 or more.
#include "core/BitmapCodec.h"
#include "files/ImageFiles.h"

#include <QBuffer>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace kiramo;

namespace {

// Above this many pixels a picture is not decoded a second time nor written back: the checks
// would only repeat themselves, slowly.
constexpr qint64 kRecheckPixels = 1 << 22;

void require(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "fuzz_picture: %s\n", what);
        std::abort();
    }
}

void checkOutcome(const QImage& picture, const QString& error) {
    if (picture.isNull()) {
        require(!error.isEmpty(), "a picture was refused without a message");
        return;
    }
    require(picture.width() >= 1 && picture.width() <= kMaxPictureSide && picture.height() >= 1 &&
                picture.height() <= kMaxPictureSide,
            "a picture has a side outside 1 to 16384 pixels");
    require(picture.format() == QImage::Format_RGB32, "a picture is not RGB32");
}

// Same size and colours. QImage::operator== would compare the colour space too (a PNG may
// carry one, a bitmap does not), and RGB32 leaves the alpha byte undefined (Qt's GIF decoder
// leaves it 0).
bool samePixels(const QImage& a, const QImage& b) {
    if (a.size() != b.size() || a.format() != b.format()) {
        return false;
    }
    for (int y = 0; y < a.height(); ++y) {
        const auto* lineA = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* lineB = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            if ((lineA[x] | 0xff000000u) != (lineB[x] | 0xff000000u)) {
                return false;
            }
        }
    }
    return true;
}

QImage decodeBytes(QByteArray& bytes, QImage (*decode)(QIODevice&, QString*), QString* error) {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return decode(buffer, error);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The bytes are only read: a raw QByteArray never copies them.
    QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    const BitmapHeaderResult header = parseBitmapHeader(
        QByteArrayView(bytes).first(std::min<qsizetype>(size, kBitmapHeaderBytes)));
    require(header.header.has_value() == header.error.isEmpty(),
            "a header came with an error, or without one when refused");

    QString error;
    const QImage picture = decodeBytes(bytes, decodePicture, &error);
    checkOutcome(picture, error);
    if (picture.isNull() || qint64(picture.width()) * picture.height() > kRecheckPixels) {
        return 0;
    }

    if (isBitmapSignature(bytes)) {
        QString bitmapError;
        const QImage bitmap = decodeBytes(bytes, decodeBitmap, &bitmapError);
        require(samePixels(bitmap, picture), "the bitmap decoder and the loader's entry disagree");
        require(header.header.has_value(), "a bitmap decoded although its header was refused");
    }

    QBuffer written;
    written.open(QIODevice::ReadWrite);
    QString writeError;
    require(writeBitmap(written, picture, &writeError), "the writer refused a decoded picture");
    written.seek(0);
    QString readError;
    require(samePixels(decodeBitmap(written, &readError), picture),
            "what the writer wrote reads back differently");
    return 0;
}
