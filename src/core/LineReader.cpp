#include "core/LineReader.h"

#include <QIODevice>
#include <QStringDecoder>

#include <algorithm>

namespace kiramo {

LineReader::LineReader(QIODevice& device, qsizetype maxChars)
    : m_device(device)
    , m_maxChars(std::clamp<qsizetype>(maxChars, 0, qsizetype(1) << 28)) {
}

bool LineReader::fill() {
    // A device that says it holds less than a block is read in one block of its size, one byte
    // more so that the read that finds its end needs no other; anything else in full blocks.
    qsizetype wanted = m_blockBytes;
    if (m_blockBytes == 0) {
        const qint64 left = m_device.bytesAvailable();
        wanted = left > 0 && left < kBlockBytes ? left + 1 : kBlockBytes;
    } else if (m_end == m_blockBytes) {
        wanted = kBlockBytes;  // the last read filled the block: it may hold more than it said
    }
    if (wanted != m_blockBytes) {
        m_block = std::make_unique_for_overwrite<char[]>(static_cast<std::size_t>(wanted));
        m_blockBytes = wanted;
    }
    const qint64 read = m_device.read(m_block.get(), m_blockBytes);
    m_end = read > 0 ? read : 0;
    m_pos = 0;
    return m_end > 0;
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
            if (m_block[m_pos] == '\n') {
                ++m_pos;
                continue;
            }
        }
        started = true;
        const char* begin = m_block.get() + m_pos;
        const char* end = m_block.get() + m_end;
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
        m_pos = stop - m_block.get();
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
