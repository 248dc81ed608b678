#include "core/LineReader.h"

#include <QIODevice>
#include <QStringDecoder>

namespace kiramo {

std::optional<QByteArray> LineReader::next() {
    QByteArray line;
    char c = 0;
    if (!m_device.getChar(&c)) {
        return std::nullopt;
    }
    do {
        if (c == '\n') {
            return line;
        }
        if (c == '\r') {
            char following = 0;
            if (m_device.peek(&following, 1) == 1 && following == '\n') {
                m_device.getChar(&following);
            }
            return line;
        }
        line.append(c);
    } while (m_device.getChar(&c));
    return line;
}

QString decodeLine(const QByteArray& line) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(line);
    if (!utf8.hasError()) {
        return text;
    }
    QStringDecoder sjis("Shift_JIS", QStringDecoder::Flag::Stateless);
    if (sjis.isValid()) {
        text = sjis.decode(line);
        if (!sjis.hasError()) {
            return text;
        }
    }
    return QString::fromLatin1(line);
}

}  // namespace kiramo
