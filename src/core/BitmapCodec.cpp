#include "core/BitmapCodec.h"

#include <QCoreApplication>
#include <QIODevice>
#include <QtEndian>

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <limits>
#include <thread>
#include <vector>

namespace kiramo {

namespace {

constexpr qint64 kFileHeader = 14;
constexpr qint64 kInfoHeader = 40;
// Rows are read and written in blocks of about this many bytes.
constexpr qint64 kBlockBytes = 4 << 20;

// The compression field of a Windows header. (OS/2 2.x gives 3 and 4 other meanings, Huffman
// and RLE24, which are not read.)
enum Compression : quint32 { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6 };

QString endsEarly(qint64 there, qint64 needed) {
    return QCoreApplication::translate("BitmapCodec", "ビットマップファイルが途中で終わっています: "
                                                      "%2 バイトのうち %1 バイトしかありません")
        .arg(there)
        .arg(needed);
}

QString headerEndsEarly(qint64 there, qint64 needed) {
    return QCoreApplication::translate("BitmapCodec",
                                       "ビットマップファイルが途中で終わっています: ヘッダーに %1 "
                                       "バイト必要ですが、%2 バイトしかありません")
        .arg(needed)
        .arg(there);
}

// `row` counts the file's rows from 0.
QString compressedEndsEarly(qint64 row, qint64 height) {
    return QCoreApplication::translate(
               "BitmapCodec", "ビットマップファイルが途中で終わっています: 圧縮された画素が "
                              "%2 行のうち %1 行目で切れています")
        .arg(row + 1)
        .arg(height);
}

QString damaged(const QString& what) {
    return QCoreApplication::translate("BitmapCodec", "ビットマップファイルが壊れています: %1")
        .arg(what);
}

// An OS/2 2.x header may stop after any of its fields; those left out read as zero. Windows
// headers are 40 (3.x), 52 and 56 (with masks), 108 (V4) and 124 (V5) bytes long.
bool isOs2v2(qint64 infoSize) {
    return infoSize >= 16 && infoSize <= 64 && infoSize != 40 && infoSize != 52 && infoSize != 56;
}

bool isKnownInfoSize(qint64 infoSize) {
    return infoSize == 12 || (infoSize >= 16 && infoSize <= 64) || infoSize == 108 ||
           infoSize == 124;
}

// A colour mask is one run of set bits within the pixel (or no bits at all).
bool isValidMask(quint32 mask, int bits) {
    if (mask == 0) {
        return true;
    }
    if (bits < 32 && (mask >> bits) != 0) {
        return false;
    }
    const quint32 run = mask >> std::countr_zero(mask);
    return (run & (run + 1)) == 0;
}

// How pixels of `bits` are stored under `compression`, or nothing for a kind not read.
// `bitFields`: the compression gives colour masks (it means something else for OS/2 2.x).
std::optional<BitmapPixels> pixelKind(quint32 compression, int bits, bool bitFields) {
    if (compression == kRgb) {
        switch (bits) {
        case 1:
        case 2:
        case 4:
        case 8:
            return BitmapPixels::Indexed;
        case 16:
        case 32:
            return BitmapPixels::Masks;
        case 24:
            return BitmapPixels::Bgr24;
        default:
            return std::nullopt;
        }
    }
    if (compression == kRle8 && bits == 8) {
        return BitmapPixels::Rle8;
    }
    if (compression == kRle4 && bits == 4) {
        return BitmapPixels::Rle4;
    }
    if (bitFields && (bits == 16 || bits == 32)) {
        return BitmapPixels::Masks;
    }
    return std::nullopt;
}

// One colour channel of a bit-field pixel, widened to 8 bits exactly: a 5-bit 31 becomes 255,
// by repeating the value's bits below themselves, not 248 as a plain shift gives.
class Channel {
public:
    explicit Channel(quint32 mask) {
        if (mask == 0) {
            return;  // the channel is always 0
        }
        m_shift = std::countr_zero(mask);
        const int width = std::popcount(mask);
        if (width > 8) {  // only the 8 highest bits count
            m_shift += width - 8;
        }
        const int kept = std::min(width, 8);
        m_mask = (mask >> m_shift) & ((1u << kept) - 1);
        for (int value = 0; value < 256; ++value) {
            const int v = value & static_cast<int>(m_mask);
            int wide = 0;
            for (int filled = 0; filled < 8; filled += kept) {
                const int shift = 8 - filled - kept;
                wide |= shift >= 0 ? v << shift : v >> -shift;
            }
            m_widen[static_cast<size_t>(value)] = static_cast<uchar>(wide);
        }
    }
    [[nodiscard]] uint operator()(quint32 pixel) const {
        return m_widen[(pixel >> m_shift) & m_mask];
    }

private:
    quint32 m_mask = 0;  // after the shift
    int m_shift = 0;
    std::array<uchar, 256> m_widen{};
};

// Reads bytes one at a time from a device, a block at a time underneath; -1 at its end.
class ByteSource {
public:
    explicit ByteSource(QIODevice& device)
        : m_device(device)
        , m_block(64 * 1024) {}
    int next() {
        if (m_at == m_size) {
            m_size = std::max<qint64>(0, m_device.read(m_block.data(), qint64(m_block.size())));
            m_at = 0;
            if (m_size == 0) {
                return -1;
            }
        }
        return static_cast<uchar>(m_block[static_cast<size_t>(m_at++)]);
    }

private:
    QIODevice& m_device;
    std::vector<char> m_block;
    qint64 m_at = 0;
    qint64 m_size = 0;
};

// The picture's row that a row of the file fills.
int pictureRow(const BitmapHeader& h, qint64 fileRow) {
    return static_cast<int>(h.topDown ? fileRow : h.height - 1 - fileRow);
}

// The palette padded to 256 opaque colours, black beyond its end.
std::array<QRgb, 256> colourTable(const BitmapHeader& h) {
    std::array<QRgb, 256> colours;
    colours.fill(qRgb(0, 0, 0));
    std::copy_n(h.palette.cbegin(), std::min<qsizetype>(h.palette.size(), 256), colours.begin());
    return colours;
}

// Converts one row of an uncompressed file into RGB32.
class RowConverter {
public:
    explicit RowConverter(const BitmapHeader& h)
        : m_h(h)
        , m_colours(colourTable(h))
        , m_red(h.masks[0])
        , m_green(h.masks[1])
        , m_blue(h.masks[2]) {
        m_plain32 = h.pixels == BitmapPixels::Masks && h.bits == 32 &&
                    h.masks == std::array<quint32, 3>{0xff0000, 0xff00, 0xff};
        if (h.pixels == BitmapPixels::Masks && h.bits == 16) {
            m_table16.resize(65536);
            for (quint32 p = 0; p < 65536; ++p) {
                m_table16[p] = qRgb(int(m_red(p)), int(m_green(p)), int(m_blue(p)));
            }
        }
    }

    void operator()(const uchar* src, QRgb* dst) const {
        const qint64 width = m_h.width;
        if (m_h.pixels == BitmapPixels::Bgr24) {
            for (qint64 x = 0; x < width; ++x, src += 3) {
                dst[x] = 0xff000000u | (uint(src[2]) << 16) | (uint(src[1]) << 8) | src[0];
            }
        } else if (m_plain32) {
            for (qint64 x = 0; x < width; ++x, src += 4) {
                dst[x] = 0xff000000u | (uint(src[2]) << 16) | (uint(src[1]) << 8) | src[0];
            }
        } else if (m_h.bits == 16) {
            for (qint64 x = 0; x < width; ++x, src += 2) {
                dst[x] = m_table16[qFromLittleEndian<quint16>(src)];
            }
        } else if (m_h.bits == 32) {
            for (qint64 x = 0; x < width; ++x, src += 4) {
                const quint32 p = qFromLittleEndian<quint32>(src);
                dst[x] = qRgb(int(m_red(p)), int(m_green(p)), int(m_blue(p)));
            }
        } else {
            const int bits = m_h.bits;
            const uint mask = (1u << bits) - 1;
            for (qint64 x = 0; x < width; ++x) {
                const qint64 bit = x * bits;
                const uint index = (src[bit / 8] >> (8 - bits - bit % 8)) & mask;
                dst[x] = m_colours[index];
            }
        }
    }

private:
    const BitmapHeader& m_h;
    std::array<QRgb, 256> m_colours;
    Channel m_red;
    Channel m_green;
    Channel m_blue;
    bool m_plain32 = false;
    std::vector<QRgb> m_table16;
};

bool readRows(QIODevice& device, const BitmapHeader& h, QImage& image, QString* error) {
    const RowConverter convert(h);
    const qint64 rowsPerBlock = std::max<qint64>(1, kBlockBytes / h.rowBytes);
    std::vector<uchar> block(static_cast<size_t>(rowsPerBlock * h.rowBytes));
    for (qint64 row = 0; row < h.height; row += rowsPerBlock) {
        const qint64 rows = std::min(rowsPerBlock, h.height - row);
        const qint64 wanted = rows * h.rowBytes;
        const qint64 got = device.read(reinterpret_cast<char*>(block.data()), wanted);
        if (got != wanted) {
            *error = endsEarly(h.pixelOffset + row * h.rowBytes + std::max<qint64>(got, 0),
                               h.pixelOffset + h.pixelBytes);
            return false;
        }
        for (qint64 r = 0; r < rows; ++r) {
            convert(block.data() + r * h.rowBytes,
                    reinterpret_cast<QRgb*>(image.scanLine(pictureRow(h, row + r))));
        }
    }
    return true;
}

// Decodes RLE8 or RLE4 data. Pixels that the data skips (by a move, or an end of line or of
// the bitmap) are black, as Qt's decoder left them. Runs beyond the right edge are cut off.
bool readRunLengths(QIODevice& device, const BitmapHeader& h, QImage& image, QString* error) {
    const std::array<QRgb, 256> colours = colourTable(h);
    image.fill(qRgb(0, 0, 0));
    const bool four = h.pixels == BitmapPixels::Rle4;
    ByteSource source(device);
    qint64 x = 0;
    qint64 y = 0;  // rows of the file
    uchar* const bits = image.bits();
    const qsizetype bytesPerLine = image.bytesPerLine();
    const auto put = [&](int index) {
        if (x < h.width && y < h.height) {
            reinterpret_cast<QRgb*>(bits + pictureRow(h, y) * bytesPerLine)[x] = colours[index];
        }
        ++x;
    };
    const auto cutShort = [&] {
        *error = compressedEndsEarly(y, h.height);
        return false;
    };
    while (y < h.height) {
        const int count = source.next();
        const int value = source.next();
        if (value < 0) {
            return cutShort();
        }
        if (count > 0) {  // a run of one index, or of two alternating ones
            for (int i = 0; i < count; ++i) {
                put(four ? (i % 2 == 0 ? value >> 4 : value & 15) : value);
            }
            continue;
        }
        if (value == 0) {  // end of line
            x = 0;
            ++y;
        } else if (value == 1) {  // end of the bitmap
            return true;
        } else if (value == 2) {  // a move right and up
            const int dx = source.next();
            const int dy = source.next();
            if (dy < 0) {
                return cutShort();
            }
            x += dx;
            y += dy;
        } else {  // `value` indices as they are, padded to a whole number of 16-bit words
            const int bytes = four ? (value + 1) / 2 : value;
            for (int i = 0; i < bytes; ++i) {
                const int b = source.next();
                if (b < 0) {
                    return cutShort();
                }
                if (four) {
                    put(b >> 4);
                    if (2 * i + 1 < value) {
                        put(b & 15);
                    }
                } else {
                    put(b);
                }
            }
            if (bytes % 2 == 1 && source.next() < 0) {
                return cutShort();
            }
        }
    }
    return true;
}

}  // namespace

bool isBitmapSignature(QByteArrayView start) {
    return start.size() >= 2 && start[0] == 'B' && start[1] == 'M';
}

BitmapHeaderResult parseBitmapHeader(QByteArrayView start) {
    BitmapHeaderResult result;
    QString& error = result.error;
    const qint64 size = start.size();
    if (!isBitmapSignature(start)) {
        error = QCoreApplication::translate("BitmapCodec",
                                            "Windows ビットマップのファイルではありません");
        return result;
    }
    if (size < kFileHeader + 4) {
        error = headerEndsEarly(size, kFileHeader + 4);
        return result;
    }
    const auto u16 = [&](qint64 at) { return qFromLittleEndian<quint16>(start.data() + at); };
    const auto u32 = [&](qint64 at) { return qFromLittleEndian<quint32>(start.data() + at); };
    const qint64 infoSize = u32(kFileHeader);
    if (!isKnownInfoSize(infoSize)) {
        error = QCoreApplication::translate("BitmapCodec",
                                            "ビットマップのヘッダーが未知の種類です (%1 バイト)")
                    .arg(infoSize);
        return result;
    }
    if (size < kFileHeader + infoSize) {
        error = headerEndsEarly(size, kFileHeader + infoSize);
        return result;
    }
    // A field of the info header, `at` bytes into it; zero where a short header leaves it out.
    const auto info32 = [&](qint64 at) { return at + 4 <= infoSize ? u32(kFileHeader + at) : 0; };

    BitmapHeader h;
    h.infoSize = static_cast<int>(infoSize);
    qint64 width = 0;
    qint64 height = 0;
    quint32 compression = kRgb;
    qint64 colorsUsed = 0;
    qint64 entryBytes = 4;  // a palette entry: blue, green, red and a spare byte
    if (infoSize == 12) {   // OS/2 1.x: unsigned 16-bit sides, 3-byte palette entries
        width = u16(18);
        height = u16(20);
        h.bits = u16(24);
        entryBytes = 3;
    } else {
        width = static_cast<qint32>(u32(18));
        height = static_cast<qint32>(u32(22));
        h.bits = u16(28);
        compression = info32(16);
        colorsUsed = info32(32);
    }
    if (width <= 0 || height == 0) {
        error = damaged(
            QCoreApplication::translate("BitmapCodec", "大きさが %1 x %2 ピクセルとなっています")
                .arg(width)
                .arg(height));
        return result;
    }
    h.topDown = height < 0;
    height = std::abs(height);
    if (width > kMaxPictureSide || height > kMaxPictureSide) {
        error = QCoreApplication::translate("PictureIntake",
                                            "画像が大きすぎます: %1 x %2 ピクセル (最大 %3 x %3)")
                    .arg(width)
                    .arg(height)
                    .arg(kMaxPictureSide);
        return result;
    }
    h.width = static_cast<int>(width);
    h.height = static_cast<int>(height);

    const bool bitFields =
        !isOs2v2(infoSize) && (compression == kBitFields || compression == kAlphaBitFields);
    const std::optional<BitmapPixels> pixels = pixelKind(compression, h.bits, bitFields);
    if (!pixels) {
        error = QCoreApplication::translate(
                    "BitmapCodec", "読めない種類のビットマップです (1 画素 %1 ビット、圧縮 %2)")
                    .arg(h.bits)
                    .arg(compression);
        return result;
    }
    h.pixels = *pixels;
    if (h.pixels == BitmapPixels::Masks && !bitFields) {  // the defaults: 5-5-5 and 8-8-8
        h.masks = h.bits == 16 ? std::array<quint32, 3>{0x7c00, 0x3e0, 0x1f}
                               : std::array<quint32, 3>{0xff0000, 0xff00, 0xff};
    }
    // Colour masks between a 40-byte header and the palette.
    const qint64 masksAfterHeader =
        bitFields && infoSize < 52 ? (compression == kAlphaBitFields ? 16 : 12) : 0;

    const qint64 paletteAt = kFileHeader + infoSize + masksAfterHeader;
    h.pixelOffset = u32(10);
    if (h.pixelOffset < paletteAt) {
        error = damaged(QCoreApplication::translate(
                            "BitmapCodec", "画素の始まり (%1 バイト目) がヘッダーの中にあります")
                            .arg(h.pixelOffset));
        return result;
    }
    if (size < paletteAt) {
        error = headerEndsEarly(size, paletteAt);
        return result;
    }
    if (bitFields) {
        const qint64 at = infoSize >= 52 ? kFileHeader + 40 : kFileHeader + infoSize;
        h.masks = {u32(at), u32(at + 4), u32(at + 8)};
        if (!std::all_of(h.masks.cbegin(), h.masks.cend(),
                         [&](quint32 m) { return isValidMask(m, h.bits); })) {
            error = damaged(QCoreApplication::translate(
                "BitmapCodec", "色のマスクがひと続きのビットになっていません"));
            return result;
        }
    }
    if (h.bits <= 8) {
        // The palette holds the colours used, or all that the bits can tell, and no more than
        // fit before the pixels.
        const qint64 most = qint64(1) << h.bits;
        qint64 entries = colorsUsed == 0 ? most : std::min(colorsUsed, most);
        entries = std::min(entries, (h.pixelOffset - paletteAt) / entryBytes);
        if (size < paletteAt + entries * entryBytes) {
            error = headerEndsEarly(size, paletteAt + entries * entryBytes);
            return result;
        }
        h.palette.reserve(entries);
        for (qint64 i = 0; i < entries; ++i) {
            const char* entry = start.data() + paletteAt + i * entryBytes;
            h.palette.append(qRgb(uchar(entry[2]), uchar(entry[1]), uchar(entry[0])));
        }
    }
    if (h.pixels != BitmapPixels::Rle8 && h.pixels != BitmapPixels::Rle4) {
        h.rowBytes = ((width * h.bits + 31) / 32) * 4;
        h.pixelBytes = h.rowBytes * height;
    }
    result.header = std::move(h);
    return result;
}

QImage decodeBitmap(QIODevice& device, QString* error) {
    const BitmapHeaderResult parsed = parseBitmapHeader(device.peek(kBitmapHeaderBytes));
    if (!parsed.header) {
        *error = parsed.error;
        return QImage();
    }
    const BitmapHeader& h = *parsed.header;
    const bool compressed = h.pixels == BitmapPixels::Rle8 || h.pixels == BitmapPixels::Rle4;
    const qint64 needed = h.pixelOffset + h.pixelBytes;  // RLE data ends where its codes say
    if (!device.isSequential() && device.size() - device.pos() < needed) {
        *error = compressed ? compressedEndsEarly(0, h.height)
                            : endsEarly(device.size() - device.pos(), needed);
        return QImage();
    }
    QImage image(h.width, h.height, QImage::Format_RGB32);
    if (image.isNull()) {
        *error = QCoreApplication::translate("PictureIntake",
                                             "%1 x %2 ピクセルの画像に足りるメモリーがありません")
                     .arg(h.width)
                     .arg(h.height);
        return QImage();
    }
    if (const qint64 skipped = device.skip(h.pixelOffset); skipped != h.pixelOffset) {
        *error = compressed ? compressedEndsEarly(0, h.height)
                            : endsEarly(std::max<qint64>(skipped, 0), needed);
        return QImage();
    }
    const bool read =
        compressed ? readRunLengths(device, h, image, error) : readRows(device, h, image, error);
    return read ? image : QImage();
}

QByteArray encodeBitmap(const QImage& source, QString* error) {
    if (source.isNull()) {
        *error = QCoreApplication::translate("BitmapCodec", "書き込む画像がありません");
        return QByteArray();
    }
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    const qint64 width = image.width();
    const qint64 height = image.height();
    const qint64 stride = ((width * 24 + 31) / 32) * 4;
    const qint64 pixelBytes = stride * height;
    const qint64 fileBytes = kFileHeader + kInfoHeader + pixelBytes;
    if (fileBytes > std::numeric_limits<quint32>::max()) {
        *error = QCoreApplication::translate("BitmapCodec",
                                             "画像がビットマップファイルには大きすぎます");
        return QByteArray();
    }
    // The whole file in one allocation, written once: for a large picture the file is
    // hundreds of megabytes, and every copy of it costs as much as the encoding itself.
    QByteArray file(qsizetype(fileBytes), Qt::Uninitialized);
    char* h = file.data();
    std::fill(h, h + kFileHeader + kInfoHeader, '\0');
    h[0] = 'B';
    h[1] = 'M';
    qToLittleEndian<quint32>(static_cast<quint32>(fileBytes), h + 2);
    qToLittleEndian<quint32>(kFileHeader + kInfoHeader, h + 10);
    qToLittleEndian<quint32>(kInfoHeader, h + 14);
    qToLittleEndian<qint32>(static_cast<qint32>(width), h + 18);
    qToLittleEndian<qint32>(static_cast<qint32>(height), h + 22);
    qToLittleEndian<quint16>(1, h + 26);
    qToLittleEndian<quint16>(24, h + 28);
    qToLittleEndian<quint32>(static_cast<quint32>(pixelBytes), h + 34);
    qToLittleEndian<qint32>(3780, h + 38);  // 96 DPI in pixels a metre
    qToLittleEndian<qint32>(3780, h + 42);
    auto* rows = reinterpret_cast<uchar*>(h + kFileHeader + kInfoHeader);
    const auto encodeRows = [&](qint64 first, qint64 end) {
        for (qint64 row = first; row < end; ++row) {
            // Bottom-up: the file's first row is the picture's last.
            const auto* src =
                reinterpret_cast<const QRgb*>(image.constScanLine(int(height - 1 - row)));
            uchar* dst = rows + row * stride;
            for (qint64 x = 0; x < width; ++x) {
                *dst++ = static_cast<uchar>(qBlue(src[x]));
                *dst++ = static_cast<uchar>(qGreen(src[x]));
                *dst++ = static_cast<uchar>(qRed(src[x]));
            }
            std::fill(dst, rows + (row + 1) * stride, uchar(0));  // the row's padding
        }
    };
    // A large picture is encoded in two halves at once: the rows are independent, and the
    // copy costs as much as writing the file.
    constexpr qint64 kRowsWorthAThread = 512;
    if (height < 2 * kRowsWorthAThread || std::thread::hardware_concurrency() < 2) {
        encodeRows(0, height);
        return file;
    }
    std::thread lowerHalf(encodeRows, height / 2, height);
    encodeRows(0, height / 2);
    lowerHalf.join();
    return file;
}

bool writeBitmap(QIODevice& device, const QImage& source, QString* error) {
    const QByteArray file = encodeBitmap(source, error);
    if (file.isEmpty()) {
        return false;
    }
    if (device.write(file) != file.size()) {
        *error = device.errorString();
        return false;
    }
    return true;
}

}  // namespace kiramo
