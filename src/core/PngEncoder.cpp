#include "core/PngEncoder.h"

#include "core/WorkProgress.h"

#include <QThread>
#include <QtEndian>

#include <zlib.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdlib>
#include <new>
#include <thread>
#include <vector>

namespace kiramo {

namespace {

// A band's raw rows stay below this many bytes, so that its compressed part fits one chunk.
constexpr qint64 kMaxBandBytes = qint64(256) << 20;

// zlib's level 2 with a filter chosen for each row: on photographs about a fifth of the work of
// Qt's writer (libpng's level 6), for files an eighth larger. Paeth on every row at level 3 made
// files a tenth larger for half as much work again; levels 1 and 2 with it, a sixth larger.
constexpr int kLevel = 2;

void appendChunk(QByteArray& out, const char* type, const char* data, qsizetype size) {
    char length[4];
    qToBigEndian<quint32>(static_cast<quint32>(size), length);
    out.append(length, 4);
    const qsizetype start = out.size();
    out.append(type, 4);
    out.append(data, size);
    uLong crc = crc32(0L, Z_NULL, 0);
    crc = crc32_z(crc, reinterpret_cast<const Bytef*>(out.constData() + start),
                  static_cast<z_size_t>(size + 4));
    char sum[4];
    qToBigEndian<quint32>(static_cast<quint32>(crc), sum);
    out.append(sum, 4);
}

// Row `y` of `image` (RGB32 or ARGB32) as PNG's RGB or RGBA bytes.
void rowBytes(const QImage& image, int y, bool alpha, unsigned char* out) {
    const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < image.width(); ++x) {
        const QRgb p = line[x];
        *out++ = static_cast<unsigned char>(qRed(p));
        *out++ = static_cast<unsigned char>(qGreen(p));
        *out++ = static_cast<unsigned char>(qBlue(p));
        if (alpha) {
            *out++ = static_cast<unsigned char>(qAlpha(p));
        }
    }
}

// The bytes of one filtered row: the filter's number, then the row.
using Filtered = std::vector<unsigned char>;

// `row` filtered against `above` (`bpp` bytes a pixel) by each of PNG's filters Sub (1), Up (2),
// Average (3) and Paeth (4), into `out` by that order; the one whose bytes, read as signed
// numbers, add up to the least is returned (libpng's rule: it compresses best, mostly).
const Filtered& bestFilter(const unsigned char* row, const unsigned char* above, qsizetype size,
                           int bpp, std::array<Filtered, 4>& out) {
    std::array<qint64, 4> cost{};
    for (int f = 0; f < 4; ++f) {
        out[f][0] = static_cast<unsigned char>(f + 1);
    }
    auto put = [&](int f, qsizetype i, int predicted) {
        const auto value = static_cast<unsigned char>(row[i] - predicted);
        out[f][i + 1] = value;
        cost[f] += std::abs(static_cast<int>(static_cast<signed char>(value)));
    };
    for (qsizetype i = 0; i < size; ++i) {
        const int a = i >= bpp ? row[i - bpp] : 0;
        const int b = above[i];
        const int c = i >= bpp ? above[i - bpp] : 0;
        const int p = b - c;  // = (a + b - c) - a
        const int q = a - c;  // = (a + b - c) - b
        const int pa = std::abs(p);
        const int pb = std::abs(q);
        const int pc = std::abs(p + q);
        put(0, i, a);
        put(1, i, b);
        put(2, i, (a + b) >> 1);
        put(3, i, (pa <= pb && pa <= pc) ? a : (pb <= pc ? b : c));
    }
    return out[std::min_element(cost.begin(), cost.end()) - cost.begin()];
}

struct Band {
    int first = 0;  // rows [first, end)
    int end = 0;
    bool last = false;
    QByteArray chunk;  // the IDAT chunk of the band's compressed rows
    uLong adler = 1;   // of the band's filtered bytes
    qint64 length = 0;
    bool failed = false;
};

void compressBand(const QImage& image, bool alpha, Band& band, WorkProgress* progress) {
    try {
        const int bpp = alpha ? 4 : 3;
        const qsizetype size = qsizetype(image.width()) * bpp;
        std::vector<unsigned char> above(size, 0);
        std::vector<unsigned char> row(size);
        std::array<Filtered, 4> candidates;
        for (Filtered& candidate : candidates) {
            candidate.resize(size + 1);
        }
        if (band.first > 0) {
            rowBytes(image, band.first - 1, alpha, above.data());
        }
        z_stream z{};
        // Raw deflate: the bands are joined under one zlib header, written apart.
        if (deflateInit2(&z, kLevel, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
            band.failed = true;
            return;
        }
        QByteArray out;
        out.reserve(qsizetype((band.end - band.first) * (size + 1) / 3) + 64);
        out.append(QByteArray(8, '\0'));  // the chunk's length and type, filled in at the end
        unsigned char buffer[1 << 16];
        auto pump = [&](int flush) {
            do {
                z.next_out = buffer;
                z.avail_out = sizeof buffer;
                deflate(&z, flush);
                out.append(reinterpret_cast<const char*>(buffer),
                           qsizetype(sizeof buffer - z.avail_out));
            } while (z.avail_out == 0);
        };
        for (int y = band.first; y < band.end; ++y) {
            if (progress != nullptr && progress->abandoned()) {
                band.failed = true;
                break;
            }
            rowBytes(image, y, alpha, row.data());
            const Filtered& filtered = bestFilter(row.data(), above.data(), size, bpp, candidates);
            band.adler = adler32_z(band.adler, filtered.data(), filtered.size());
            band.length += qint64(filtered.size());
            z.next_in = const_cast<unsigned char*>(filtered.data());  // zlib only reads it
            z.avail_in = static_cast<uInt>(filtered.size());
            pump(Z_NO_FLUSH);
            std::swap(row, above);
            if (progress != nullptr) {
                progress->advance(1);
            }
        }
        if (!band.failed) {
            // A band before the last ends on a byte boundary without a final block, so the
            // next one follows on as if one stream had gone on.
            pump(band.last ? Z_FINISH : Z_SYNC_FLUSH);
        }
        deflateEnd(&z);
        const qsizetype data = out.size() - 8;
        qToBigEndian<quint32>(static_cast<quint32>(data), out.data());
        std::copy_n("IDAT", 4, out.data() + 4);
        uLong crc =
            crc32_z(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(out.constData() + 4),
                    static_cast<z_size_t>(data + 4));
        char sum[4];
        qToBigEndian<quint32>(static_cast<quint32>(crc), sum);
        out.append(sum, 4);
        band.chunk = std::move(out);
    } catch (const std::bad_alloc&) {
        band.failed = true;
    }
}

}  // namespace

QByteArray encodePng(const QImage& source, WorkProgress* progress, QString* error) {
    if (source.isNull()) {
        *error = QStringLiteral("There is no picture to write");
        return QByteArray();
    }
    const bool alpha = source.hasAlphaChannel();
    const QImage::Format format = alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32;
    const QImage image = source.format() == format ? source : source.convertToFormat(format);
    if (image.isNull()) {
        *error = QStringLiteral("There is not enough memory to write the picture");
        return QByteArray();
    }
    const int height = image.height();
    if (progress != nullptr) {
        progress->setTotal(height);
    }
    const qint64 rowSize = qint64(image.width()) * (alpha ? 4 : 3) + 1;
    const int threads = std::clamp(QThread::idealThreadCount(), 1, 16);
    int bands = std::max<int>(threads, int((rowSize * height + kMaxBandBytes - 1) / kMaxBandBytes));
    bands = std::clamp(bands, 1, height);
    std::vector<Band> parts(bands);
    for (int i = 0; i < bands; ++i) {
        parts[i].first = int(qint64(height) * i / bands);
        parts[i].end = int(qint64(height) * (i + 1) / bands);
        parts[i].last = i == bands - 1;
    }
    // At most `threads` bands at once, each thread taking the next band that is left.
    std::atomic<int> next{0};
    auto worker = [&] {
        for (int i = next.fetch_add(1); i < bands; i = next.fetch_add(1)) {
            compressBand(image, alpha, parts[i], progress);
        }
    };
    std::vector<std::thread> helpers;
    for (int i = 1; i < std::min(threads, bands); ++i) {
        helpers.emplace_back(worker);
    }
    worker();
    for (std::thread& t : helpers) {
        t.join();
    }
    uLong adler = 1;
    qsizetype total = 0;
    for (const Band& band : parts) {
        if (band.failed) {
            *error = progress != nullptr && progress->abandoned()
                         ? QStringLiteral("The save was cancelled")
                         : QStringLiteral("There is not enough memory to write the picture");
            return QByteArray();
        }
        adler = adler32_combine(adler, band.adler, static_cast<z_off_t>(band.length));
        total += band.chunk.size();
    }

    QByteArray file;
    file.reserve(total + 128);
    file.append("\x89PNG\r\n\x1a\n", 8);
    char header[13];
    qToBigEndian<quint32>(static_cast<quint32>(image.width()), header);
    qToBigEndian<quint32>(static_cast<quint32>(height), header + 4);
    header[8] = 8;                             // bits per sample
    header[9] = alpha ? 6 : 2;                 // RGBA or RGB
    header[10] = header[11] = header[12] = 0;  // deflate, adaptive filtering, no interlace
    appendChunk(file, "IHDR", header, 13);
    if (image.dotsPerMeterX() > 0 && image.dotsPerMeterY() > 0) {
        char physical[9];
        qToBigEndian<quint32>(static_cast<quint32>(image.dotsPerMeterX()), physical);
        qToBigEndian<quint32>(static_cast<quint32>(image.dotsPerMeterY()), physical + 4);
        physical[8] = 1;  // per metre
        appendChunk(file, "pHYs", physical, 9);
    }
    appendChunk(file, "IDAT", "\x78\x5e", 2);  // zlib, 32 KB window, a fast level
    for (Band& band : parts) {
        file.append(band.chunk);
        band.chunk = QByteArray();
    }
    char sum[4];
    qToBigEndian<quint32>(static_cast<quint32>(adler), sum);
    appendChunk(file, "IDAT", sum, 4);
    appendChunk(file, "IEND", nullptr, 0);
    return file;
}

}  // namespace kiramo
