#pragma once

// Shared by the harnesses: an invariant check that libFuzzer reports as a crash, and a device
// that hands its bytes out in small pieces.
#include "core/LineReader.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <QStringDecoder>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

// A failed invariant aborts: libFuzzer reports it as a crash and keeps the input.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "invariant failed: %s (%s:%d)\n", #condition, __FILE__,           \
                         __LINE__);                                                                \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

namespace kiramo::fuzzing {

// A read-only device over `bytes` whose every read gives at most `chunk` bytes, so that the
// block boundaries of a reader fall anywhere in a short input, as they do in a long file.
class ChunkedDevice final : public QIODevice {
public:
    ChunkedDevice(QByteArray bytes, qint64 chunk)
        : m_bytes(std::move(bytes))
        , m_chunk(std::max<qint64>(chunk, 1)) {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }

    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override {
        return m_bytes.size() - m_pos + QIODevice::bytesAvailable();
    }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        const qint64 n = std::min({maxSize, m_chunk, qint64(m_bytes.size()) - m_pos});
        std::memcpy(data, m_bytes.constData() + m_pos, static_cast<std::size_t>(n));
        m_pos += n;
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray m_bytes;
    qint64 m_chunk;
    qint64 m_pos = 0;
};

// The input as a QByteArray that does not copy it.
inline QByteArray bytesOf(const uint8_t* data, size_t size) {
    return QByteArray::fromRawData(reinterpret_cast<const char*>(data),
                                   static_cast<qsizetype>(size));
}

// The oracles' own reading of a settings file, kept apart from LineReader's blocks: the whole
// file at once, split one character at a time.

// The bytes that are split into lines: a UTF-16 file (by its mark) as UTF-8, decoded in one go;
// a UTF-8 mark dropped; anything else as it stands.
inline QByteArray textBytes(const QByteArray& file) {
    if (file.startsWith("\xFF\xFE") || file.startsWith("\xFE\xFF")) {
        QStringDecoder decoder(file.startsWith("\xFF") ? QStringDecoder::Utf16LE
                                                       : QStringDecoder::Utf16BE);
        return QString(decoder.decode(QByteArrayView(file).sliced(2))).toUtf8();
    }
    return file.startsWith("\xEF\xBB\xBF") ? file.sliced(3) : file;
}

// The lines: CR LF, CR or LF ends a line, a last line without an end counts.
inline std::vector<QByteArray> linesOneByOne(const QByteArray& bytes) {
    std::vector<QByteArray> lines;
    qsizetype i = 0;
    while (i < bytes.size()) {
        QByteArray line;
        while (i < bytes.size()) {
            const char c = bytes[i++];
            if (c == '\n') {
                break;
            }
            if (c == '\r') {
                if (i < bytes.size() && bytes[i] == '\n') {
                    ++i;
                }
                break;
            }
            line.append(c);
        }
        lines.push_back(line);
    }
    return lines;
}

// A whole line's text as the readers of settings see it: its first `maxChars` characters,
// decoded by decodeLine's rules judged on the bytes that hold them (4 bytes a character at
// most, and one more character that a cut may split).
inline QString lineText(const QByteArray& whole, qsizetype maxChars) {
    const qsizetype kept = 4 * maxChars + 4;
    return leftChars(decodeLine(whole.left(kept), whole.size() > kept), maxChars);
}

}  // namespace kiramo::fuzzing
