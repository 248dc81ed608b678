#include "core/ModeTable.h"

#include "core/LineReader.h"
#include "core/NumberText.h"

namespace kiramo {

ModeTable::ModeTable() {
    m_modes[0] = CaptureMode{QStringLiteral("FreeSize"), QStringLiteral("FreeSize"), 0.0, 0.0};
}

bool ModeTable::has(int index) const {
    return index >= 0 && index <= kLast && m_modes[index].has_value();
}

const std::optional<CaptureMode>& ModeTable::mode(int index) const {
    static const std::optional<CaptureMode> none;
    return has(index) ? m_modes[index] : none;
}

QString ModeTable::ModeName(int index) const {
    return has(index) ? m_modes[index]->name : QString();
}

double ModeTable::ModeWidth(int index) const {
    return has(index) ? m_modes[index]->width : 0.0;
}

double ModeTable::ModeHeight(int index) const {
    return has(index) ? m_modes[index]->height : 0.0;
}

void ModeTable::set(int index, CaptureMode mode) {
    if (index >= 1 && index <= kLast) {
        m_modes[index] = std::move(mode);
    }
}

RawModeTexts readRawModeTexts(QIODevice& device) {
    RawModeTexts raw;
    // A mode text is its line less the "@" and the character after it.
    LineReader reader(device, kMaxModeText + 2);
    int i = 1;
    while (i <= ModeTable::kLast) {
        const std::optional<QByteArray> bytes = reader.next();
        if (!bytes) {
            break;
        }
        // Only a line whose first byte is "@", or the first of a UTF-8 byte-order mark (which
        // the decoder skips), can start with "@" as text, so other lines are never decoded: a
        // file of millions of lines stays cheap.
        const char first = bytes->isEmpty() ? '\0' : bytes->front();
        if (first != '@' && first != '\xEF') {
            continue;
        }
        const QString line = reader.text(*bytes);
        if (line.startsWith(u'@')) {
            // The character after the "@" may be a pair of UTF-16 units: both go.
            const bool pair =
                line.size() > 2 && line[1].isHighSurrogate() && line[2].isLowSurrogate();
            raw[i] = line.mid(pair ? 3 : 2);
            ++i;
        }
    }
    return raw;
}

std::optional<CaptureMode> parseModeText(const QString& text) {
    if (text.isEmpty()) {
        return std::nullopt;
    }
    CaptureMode mode;
    mode.menuCaption = text;
    const qsizetype space = text.indexOf(u' ');
    const qsizetype x = text.indexOf(u'x');
    mode.name = space < 0 ? text : text.left(space);
    if (space >= 0 && x > space) {
        mode.width = readNumber(text.mid(space + 1, x - space - 1));
        mode.height = readNumber(text.mid(x + 1));
    }
    return mode;
}

ModeSizeFault modeSizeFault(const CaptureMode& mode) {
    if (mode.width > 0.0 && mode.height > 0.0) {
        return ModeSizeFault::None;
    }
    const QString& text = mode.menuCaption;
    const qsizetype space = text.indexOf(u' ');
    const qsizetype x = text.indexOf(u'x');
    if (space < 0 || x <= space || !startsWithNumber(text.mid(space + 1, x - space - 1)) ||
        !startsWithNumber(text.mid(x + 1))) {
        return ModeSizeFault::Unreadable;
    }
    return ModeSizeFault::NotPositive;
}

ModeTable buildModeTable(const RawModeTexts& raw) {
    ModeTable table;
    for (int i = 1; i <= ModeTable::kLast; ++i) {
        if (std::optional<CaptureMode> mode = parseModeText(raw[i])) {
            table.set(i, std::move(*mode));
        }
    }
    return table;
}

}  // namespace kiramo
