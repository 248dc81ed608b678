#include "platform/PngDecoder.h"

#include <QByteArray>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include <libdeflate.h>
#include <zlib.h>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace kiramo {

namespace {

constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
// More pixels than this (a 16384 x 16384 desktop) are not decoded here.
constexpr std::int64_t kMostPixels = std::int64_t(1) << 28;
constexpr std::size_t kMostInflation = 1033;

std::uint32_t bigEndian32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 |
           std::uint32_t(p[3]);
}

struct Header {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    int channels = 0;  // 3 for RGB, 4 for RGBA
};

// The header of a PNG of the kind decoded here, or nothing.
bool readHeader(const std::uint8_t* data, std::uint32_t length, Header& header) {
    if (length != 13) {
        return false;
    }
    header.width = bigEndian32(data);
    header.height = bigEndian32(data + 4);
    const std::uint8_t depth = data[8];
    const std::uint8_t colour = data[9];
    const bool plain = data[10] == 0 && data[11] == 0 && data[12] == 0;  // deflate, filters, no
                                                                         // interlacing
    header.channels = colour == 2 ? 3 : colour == 6 ? 4 : 0;
    return depth == 8 && header.channels != 0 && plain && header.width > 0 && header.height > 0 &&
           header.width <= 0x7fffffffu && header.height <= 0x7fffffffu &&
           std::int64_t(header.width) * header.height <= kMostPixels;
}

int paeth(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = std::abs(p - a);
    const int pb = std::abs(p - b);
    const int pc = std::abs(p - c);
    if (pa <= pb && pa <= pc) {
        return a;
    }
    return pb <= pc ? b : c;
}

// Undoes the row's filter byte by byte, as PNG defines it, from byte `from` on; `previous` is
// the row above, unfiltered (zeros above the first).
void unfilterPlain(std::uint8_t filter, std::uint8_t* row, const std::uint8_t* previous,
                   std::size_t from, std::size_t bytes, std::size_t step) {
    for (std::size_t i = from; i < bytes; ++i) {
        const int a = i >= step ? row[i - step] : 0;
        const int b = previous[i];
        const int c = i >= step ? previous[i - step] : 0;
        switch (filter) {
        case 1:
            row[i] = std::uint8_t(row[i] + a);
            break;
        case 2:
            row[i] = std::uint8_t(row[i] + b);
            break;
        case 3:
            row[i] = std::uint8_t(row[i] + ((a + b) >> 1));
            break;
        case 4:
            row[i] = std::uint8_t(row[i] + paeth(a, b, c));
            break;
        default:
            break;
        }
    }
}

#ifdef __SSE2__
// A pixel of `step` (3 or 4) bytes into the low lanes of a register, and back.
__m128i loadPixel(const std::uint8_t* p, std::size_t step) {
    std::uint32_t v = 0;
    std::memcpy(&v, p, step);
    return _mm_cvtsi32_si128(int(v));
}
void storePixel(std::uint8_t* p, __m128i v, std::size_t step) {
    const auto bits = std::uint32_t(_mm_cvtsi128_si32(v));
    std::memcpy(p, &bits, step);
}

// The same, a pixel at a time (the filters that look left depend on the pixel just done), the
// row above sixteen bytes at a time; Paeth's choice on 16-bit lanes.
void unfilterPixels(std::uint8_t filter, std::uint8_t* row, const std::uint8_t* previous,
                    std::size_t bytes, std::size_t step) {
    if (filter == 2) {
        std::size_t i = 0;
        for (; i + 16 <= bytes; i += 16) {
            const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(previous + i));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(row + i), _mm_add_epi8(x, b));
        }
        unfilterPlain(filter, row, previous, i, bytes, step);
        return;
    }
    const __m128i zero = _mm_setzero_si128();
    const __m128i one = _mm_set1_epi8(1);
    __m128i a = zero;  // the pixel to the left, done
    __m128i c = zero;  // the one above that
    std::size_t i = 0;
    for (; i + step <= bytes; i += step) {
        const __m128i x = loadPixel(row + i, step);
        const __m128i b = loadPixel(previous + i, step);
        __m128i done;
        if (filter == 1) {
            done = _mm_add_epi8(x, a);
        } else if (filter == 3) {
            // The rounded-up average less the rounding: (a + b) >> 1 without overflow.
            const __m128i average =
                _mm_sub_epi8(_mm_avg_epu8(a, b), _mm_and_si128(_mm_xor_si128(a, b), one));
            done = _mm_add_epi8(x, average);
        } else {
            const __m128i a16 = _mm_unpacklo_epi8(a, zero);
            const __m128i b16 = _mm_unpacklo_epi8(b, zero);
            const __m128i c16 = _mm_unpacklo_epi8(c, zero);
            const __m128i pa0 = _mm_sub_epi16(b16, c16);  // p - a
            const __m128i pb0 = _mm_sub_epi16(a16, c16);  // p - b
            const __m128i pc0 = _mm_add_epi16(pa0, pb0);  // p - c
            const auto magnitude = [](__m128i v) {
                const __m128i sign = _mm_srai_epi16(v, 15);
                return _mm_sub_epi16(_mm_xor_si128(v, sign), sign);
            };
            const __m128i pa = magnitude(pa0);
            const __m128i pb = magnitude(pb0);
            const __m128i pc = magnitude(pc0);
            // a where pa <= pb and pa <= pc, else b where pb <= pc, else c.
            const __m128i takeA = _mm_andnot_si128(
                _mm_or_si128(_mm_cmpgt_epi16(pa, pb), _mm_cmpgt_epi16(pa, pc)), _mm_set1_epi16(-1));
            const __m128i takeB = _mm_andnot_si128(_mm_cmpgt_epi16(pb, pc), _mm_set1_epi16(-1));
            const __m128i bOrC =
                _mm_or_si128(_mm_and_si128(takeB, b16), _mm_andnot_si128(takeB, c16));
            const __m128i predictor =
                _mm_or_si128(_mm_and_si128(takeA, a16), _mm_andnot_si128(takeA, bOrC));
            done = _mm_add_epi8(x, _mm_packus_epi16(predictor, zero));
        }
        storePixel(row + i, done, step);
        a = done;
        c = b;
    }
}
#endif

// Undoes the row's filter in place; `previous` is the row above, unfiltered (zeros above the
// first). False for an unknown filter.
bool unfilter(std::uint8_t filter, std::uint8_t* row, const std::uint8_t* previous,
              std::size_t bytes, std::size_t step) {
    if (filter > 4) {
        return false;
    }
    if (filter != 0) {
#ifdef __SSE2__
        unfilterPixels(filter, row, previous, bytes, step);
#else
        unfilterPlain(filter, row, previous, 0, bytes, step);
#endif
    }
    return true;
}

// A row of RGBA pixels as opaque RGB32 pixels; its alpha values ANDed into `alpha`.
void convertRgba(const std::uint8_t* pixel, QRgb* out, std::size_t width, std::uint32_t& alpha) {
    std::size_t x = 0;
#ifdef __SSE2__
    const __m128i green = _mm_set1_epi32(0x0000ff00);
    const __m128i low = _mm_set1_epi32(0x000000ff);
    const __m128i opaque = _mm_set1_epi32(int(0xff000000u));
    __m128i alphas = _mm_set1_epi32(-1);
    for (; x + 4 <= width; x += 4, pixel += 16) {
        // In memory R, G, B, A: as a little-endian word A << 24 | B << 16 | G << 8 | R.
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixel));
        alphas = _mm_and_si128(alphas, v);
        const __m128i r = _mm_slli_epi32(_mm_and_si128(v, low), 16);
        const __m128i b = _mm_and_si128(_mm_srli_epi32(v, 16), low);
        const __m128i rgb = _mm_or_si128(_mm_or_si128(r, b), _mm_and_si128(v, green));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), _mm_or_si128(rgb, opaque));
    }
    alignas(16) std::uint32_t lanes[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes), alphas);
    alpha &= (lanes[0] & lanes[1] & lanes[2] & lanes[3]) >> 24;
#endif
    for (; x < width; ++x, pixel += 4) {
        out[x] =
            0xff000000u | std::uint32_t(pixel[0]) << 16 | std::uint32_t(pixel[1]) << 8 | pixel[2];
        alpha &= pixel[3];
    }
}

void convertRgb(const std::uint8_t* pixel, QRgb* out, std::size_t width) {
    for (std::size_t x = 0; x < width; ++x, pixel += 3) {
        out[x] =
            0xff000000u | std::uint32_t(pixel[0]) << 16 | std::uint32_t(pixel[1]) << 8 | pixel[2];
    }
}

struct DecompressorDeleter {
    void operator()(libdeflate_decompressor* d) const { libdeflate_free_decompressor(d); }
};

}  // namespace

QImage decodeOpaquePng(QByteArrayView bytes) {
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const std::size_t size = std::size_t(bytes.size());
    if (size < sizeof kSignature || std::memcmp(data, kSignature, sizeof kSignature) != 0) {
        return {};
    }
    // The chunks: the header first, the compressed stream in IDAT chunks one after the other,
    // the others (no palette in these kinds) passed over; each critical one's checksum holds.
    Header header;
    QByteArray stream;
    bool headerSeen = false;
    bool streamEnded = false;
    std::size_t at = sizeof kSignature;
    for (;;) {
        if (size - at < 12) {
            return {};  // no IEND
        }
        const std::uint32_t length = bigEndian32(data + at);
        if (length > size - at - 12) {
            return {};
        }
        const std::uint8_t* type = data + at + 4;
        const std::uint8_t* body = type + 4;
        const bool critical = (type[0] & 0x20) == 0;
        if (critical && crc32(0, type, uInt(4 + length)) != bigEndian32(body + length)) {
            return {};
        }
        const bool isHeader = std::memcmp(type, "IHDR", 4) == 0;
        if (headerSeen == isHeader) {
            return {};  // the header missing, or twice
        }
        if (isHeader) {
            if (!readHeader(body, length, header)) {
                return {};
            }
            headerSeen = true;
        } else if (std::memcmp(type, "IDAT", 4) == 0) {
            if (streamEnded) {
                return {};
            }
            stream.append(reinterpret_cast<const char*>(body), qsizetype(length));
        } else if (std::memcmp(type, "IEND", 4) == 0) {
            break;
        } else if (critical) {
            return {};  // a palette, or a chunk unknown here
        } else if (!stream.isEmpty()) {
            streamEnded = true;
        }
        at += 12 + std::size_t(length);
    }

    const std::size_t rowBytes = std::size_t(header.width) * std::size_t(header.channels);
    const std::size_t inflated = (rowBytes + 1) * header.height;
    // Deflate makes at most 1032 bytes of about one: a stream too short for the size announced
    // is refused before that much memory is taken.
    if (std::size_t(stream.size()) * kMostInflation + 64 < inflated) {
        return {};
    }
    // Not cleared first: the inflation writes every byte of it.
    const std::unique_ptr<std::uint8_t[]> rows(new (std::nothrow) std::uint8_t[inflated]);
    QImage picture(int(header.width), int(header.height), QImage::Format_RGB32);
    if (!rows || picture.isNull()) {
        return {};
    }
    const std::unique_ptr<libdeflate_decompressor, DecompressorDeleter> decompressor(
        libdeflate_alloc_decompressor());
    std::size_t produced = 0;
    if (!decompressor ||
        libdeflate_zlib_decompress(decompressor.get(), stream.constData(),
                                   std::size_t(stream.size()), rows.get(), inflated,
                                   &produced) != LIBDEFLATE_SUCCESS ||
        produced != inflated) {
        return {};
    }
    stream.clear();

    const std::vector<std::uint8_t> zeros(rowBytes, 0);
    const std::uint8_t* previous = zeros.data();
    std::uint32_t alpha = 0xff;  // every pixel's alpha ANDed
    for (std::uint32_t y = 0; y < header.height; ++y) {
        std::uint8_t* row = rows.get() + std::size_t(y) * (rowBytes + 1);
        if (!unfilter(row[0], row + 1, previous, rowBytes, std::size_t(header.channels))) {
            return {};
        }
        auto* out = reinterpret_cast<QRgb*>(picture.scanLine(int(y)));
        if (header.channels == 4) {
            convertRgba(row + 1, out, header.width, alpha);
        } else {
            convertRgb(row + 1, out, header.width);
        }
        previous = row + 1;
    }
    if (alpha != 0xff) {
        return {};  // see-through pixels: what they show is the usual reader's to say
    }
    return picture;
}

}  // namespace kiramo
