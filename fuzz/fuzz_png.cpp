// Fuzzes the quick PNG reader of the desktop's screenshots against Qt's own reader. Checked:
// nothing crashes; a picture it takes is opaque RGB32 with the size the file announces, and,
// where Qt reads the file too, has the very pixels Qt reads. An input of even length has its
// chunks' checksums made right first, so that the mutations reach past them.
#include "FuzzSupport.h"
#include "platform/PngDecoder.h"

#include <QImage>

#include <cstdint>

#include <zlib.h>

using namespace kiramo;

namespace {

// Above this many pixels Qt is not asked for a second opinion: it would only repeat itself,
// slowly.
constexpr qint64 kCompareUpTo = qint64(1) << 22;

// The chunks of a PNG file, each with its checksum computed anew.
void fixChecksums(QByteArray& bytes) {
    auto* p = reinterpret_cast<uint8_t*>(bytes.data());
    for (qsizetype at = 8; bytes.size() - at >= 12;) {
        const quint32 length =
            quint32(p[at]) << 24 | quint32(p[at + 1]) << 16 | quint32(p[at + 2]) << 8 | p[at + 3];
        if (length > quint32(bytes.size() - at - 12)) {
            return;
        }
        const quint32 crc = quint32(crc32(0, p + at + 4, uInt(length + 4)));
        for (int i = 0; i < 4; ++i) {
            p[at + 8 + length + i] = uint8_t(crc >> (24 - 8 * i));
        }
        at += 12 + qsizetype(length);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    if (size % 2 == 0) {
        fixChecksums(bytes);
    }
    const QImage quick = decodeOpaquePng(bytes);
    if (quick.isNull()) {
        return 0;
    }
    FUZZ_CHECK(quick.format() == QImage::Format_RGB32);
    FUZZ_CHECK(size >= 24);
    const auto word = [&bytes](int at) {
        const auto* p = reinterpret_cast<const uint8_t*>(bytes.constData());
        return quint32(p[at]) << 24 | quint32(p[at + 1]) << 16 | quint32(p[at + 2]) << 8 |
               quint32(p[at + 3]);
    };
    FUZZ_CHECK(quint32(quick.width()) == word(16) && quint32(quick.height()) == word(20));
    if (qint64(quick.width()) * quick.height() > kCompareUpTo) {
        return 0;
    }
    const QImage qt = QImage::fromData(bytes, "png");
    if (qt.isNull()) {
        return 0;  // libpng is stricter in places (its own limits, chunk order)
    }
    const QImage expected = qt.convertToFormat(QImage::Format_RGB32);
    FUZZ_CHECK(expected.size() == quick.size());
    for (int y = 0; y < quick.height(); ++y) {
        const auto* a = reinterpret_cast<const QRgb*>(quick.constScanLine(y));
        const auto* b = reinterpret_cast<const QRgb*>(expected.constScanLine(y));
        for (int x = 0; x < quick.width(); ++x) {
            FUZZ_CHECK(a[x] == (b[x] | 0xff000000u));
        }
    }
    return 0;
}
