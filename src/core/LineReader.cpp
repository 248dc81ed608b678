#include "core/LineReader.h"

#include <QIODevice>
#include <QStringDecoder>

#include <algorithm>

namespace kiramo {

LineReader::LineReader(QIODevice& device, qsizetype maxChars)
    : m_device(device)
    , m_maxChars(std::clamp<qsizetype>(maxChars, 0, qsizetype(1) << 28)) {
}

QByteArray LineReader::toUtf8(QByteArrayView utf16) {
    // A pair of surrogates that the block end cut in two is one character: its first half waits
    // for the next block, so that the pair is not written as two broken characters.
    QString text = m_highSurrogate + QString(m_utf16->decode(utf16));
    m_highSurrogate.clear();
    if (!utf16.isEmpty() && !text.isEmpty() && text.back().isHighSurrogate()) {
        m_highSurrogate = text.back();
        text.chop(1);
    }
    return text.toUtf8();
}

bool LineReader::readHead() {
    // A byte-order mark tells UTF-16 (the Windows editors' "Unicode") and UTF-8 apart from the
    // 8-bit text that the files are otherwise in; it is never part of the first line.
    char head[3];
    qsizetype n = 0;
    while (n < qsizetype(sizeof head)) {
        const qint64 read = m_device.read(head + n, qsizetype(sizeof head) - n);
        if (read <= 0) {
            break;
        }
        n += read;
    }
    QByteArrayView bytes(head, n);
    if (bytes.startsWith("\xFF\xFE")) {
        m_utf16.emplace(QStringDecoder::Utf16LE);
        bytes = bytes.sliced(2);
    } else if (bytes.startsWith("\xFE\xFF")) {
        m_utf16.emplace(QStringDecoder::Utf16BE);
        bytes = bytes.sliced(2);
    } else if (bytes.startsWith("\xEF\xBB\xBF")) {
        bytes = bytes.sliced(3);
    }
    m_converted = m_utf16 ? toUtf8(bytes) : bytes.toByteArray();
    m_data = m_converted.constData();
    m_pos = 0;
    m_end = m_converted.size();
    return m_end > 0;
}

bool LineReader::fill() {
    if (!m_started) {
        m_started = true;
        if (readHead()) {
            return true;
        }
    }
    for (;;) {
        // A device that says it holds less than a block is read in one block of its size, one
        // byte more so that the read that finds its end needs no other; anything else in full
        // blocks.
        qsizetype wanted = m_blockBytes;
        if (m_blockBytes == 0) {
            const qint64 left = m_device.bytesAvailable();
            wanted = left > 0 && left < kBlockBytes ? left + 1 : kBlockBytes;
        } else if (m_lastRead == m_blockBytes) {
            wanted = kBlockBytes;  // the last read filled the block: it may hold more than it said
        }
        if (wanted != m_blockBytes) {
            m_block = std::make_unique_for_overwrite<char[]>(static_cast<std::size_t>(wanted));
            m_blockBytes = wanted;
        }
        const qint64 read = m_device.read(m_block.get(), m_blockBytes);
        m_lastRead = read > 0 ? read : 0;
        m_pos = 0;
        if (!m_utf16) {
            m_data = m_block.get();
            m_end = m_lastRead;
            return m_end > 0;
        }
        // UTF-16 is split into lines as UTF-8, which decodeLine reads as it stands. A unit
        // that the block cut in two waits in the decoder for the next block.
        m_converted = toUtf8(QByteArrayView(m_block.get(), m_lastRead));
        m_data = m_converted.constData();
        m_end = m_converted.size();
        if (m_end > 0 || m_lastRead == 0) {
            return m_end > 0;
        }
    }
}

std::optional<QByteArray> LineReader::next() {
    QByteArray line;
    m_cut = false;
    bool started = false;
    for (;;) {
        if (m_pos >= m_end && !fill()) {
            return started ? std::optional<QByteArray>(line) : std::nullopt;
        }
        if (m_afterCr) {
            m_afterCr = false;
            if (m_data[m_pos] == '\n') {
                ++m_pos;
                continue;
            }
        }
        started = true;
        const char* begin = m_data + m_pos;
        const char* end = m_data + m_end;
        const char* stop = std::find_if(begin, end, [](char c) { return c == '\r' || c == '\n'; });
        qsizetype length = stop - begin;
        const qsizetype room = keptBytes() - line.size();
        if (length > room) {
            m_cut = true;
            length = room;
        }
        if (length > 0) {
            line.append(begin, length);
        }
        m_pos = stop - m_data;
        if (stop != end) {
            m_afterCr = *stop == '\r';
            ++m_pos;
            return line;
        }
    }
}

QString LineReader::text(const QByteArray& line) const {
    return leftChars(decodeLine(line, m_cut), m_maxChars);
}

QString decodeLine(const QByteArray& line, bool cut) {
    // A stateful decoder keeps an incomplete character at the end of its input for more input
    // that never comes, instead of calling it an error: right for a line that was cut short.
    const QStringDecoder::Flags flags =
        cut ? QStringDecoder::Flag::Default : QStringDecoder::Flag::Stateless;
    QStringDecoder utf8(QStringDecoder::Utf8, flags);
    QString text = utf8.decode(line);
    if (!utf8.hasError()) {
        return text;
    }
    QStringDecoder sjis("Shift_JIS", flags);
    if (sjis.isValid()) {
        text = sjis.decode(line);
        if (!sjis.hasError()) {
            return text;
        }
    }
    return QString::fromLatin1(line);
}

QString leftChars(const QString& text, qsizetype maxChars) {
    if (text.size() <= maxChars) {
        return text;
    }
    qsizetype n = std::max<qsizetype>(maxChars, 0);
    if (n > 0 && text[n - 1].isHighSurrogate() && text[n].isLowSurrogate()) {
        --n;
    }
    return text.left(n);
}

}  // namespace kiramo
