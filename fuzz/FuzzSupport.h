#pragma once

// Shared by the harnesses: an invariant check that libFuzzer reports as a crash, and a device
// that hands its bytes out in small pieces.
#include <QByteArray>
#include <QIODevice>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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

}  // namespace kiramo::fuzzing
