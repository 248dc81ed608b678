// KIRAMO.INI: bytes -> LineReader -> readRawModeTexts -> buildModeTable.
// Input: one byte for the largest line kept by the checked reader (0..7 characters), one for the
// size of the device's reads (1..64 bytes), then the file.
// Invariants: the block reader splits lines exactly as reading one character at a time does
// (after a byte-order mark, of the file turned whole into UTF-8), keeping at most its cap of each;
// the mode texts are those of the plain rule (every line decoded, the file read in one go); at most
// 30 modes; no mode text, name or caption beyond kMaxModeText characters; every size finite; no
// crash, leak or undefined behaviour.
#include "FuzzSupport.h"

#include "core/LineReader.h"
#include "core/ModeTable.h"

#include <QBuffer>
#include <QStringDecoder>

#include <cmath>
#include <vector>

using namespace kiramo;
using kiramo::fuzzing::ChunkedDevice;

namespace {

// The lines as the old reader split them, one character at a time: CR LF, CR or LF ends a
// line, a last line without an end counts.
std::vector<QByteArray> linesOneByOne(const QByteArray& bytes) {
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

// The bytes that are split into lines: a UTF-16 file (by its mark) as UTF-8, decoded in one go;
// a UTF-8 mark dropped; anything else as it stands.
QByteArray textBytes(const QByteArray& file) {
    if (file.startsWith("\xFF\xFE") || file.startsWith("\xFE\xFF")) {
        QStringDecoder decoder(file.startsWith("\xFF") ? QStringDecoder::Utf16LE
                                                       : QStringDecoder::Utf16BE);
        return QString(decoder.decode(QByteArrayView(file).sliced(2))).toUtf8();
    }
    return file.startsWith("\xEF\xBB\xBF") ? file.sliced(3) : file;
}

void checkLineReader(const QByteArray& file, qsizetype maxChars, qint64 chunk) {
    ChunkedDevice device(file, chunk);
    LineReader reader(device, maxChars);
    for (const QByteArray& whole : linesOneByOne(textBytes(file))) {
        const std::optional<QByteArray> line = reader.next();
        FUZZ_CHECK(line.has_value());
        FUZZ_CHECK(*line == whole.left(reader.keptBytes()));
        FUZZ_CHECK(reader.cut() == (whole.size() > reader.keptBytes()));
        const QString text = reader.text(*line);
        FUZZ_CHECK(text.size() <= maxChars);
        FUZZ_CHECK(!text.contains(u'\r') && !text.contains(u'\n'));
        if (!reader.cut()) {
            FUZZ_CHECK(text == leftChars(decodeLine(whole), maxChars));
        }
    }
    FUZZ_CHECK(!reader.next().has_value());
}

// readRawModeTexts by the plain rule, every line decoded (the real one decodes only lines that
// can start with "@").
RawModeTexts rawModeTextsPlainly(const QByteArray& file) {
    QByteArray copy = file;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    LineReader reader(buffer, kMaxModeText + 2);
    RawModeTexts raw;
    int i = 1;
    while (i <= ModeTable::kLast) {
        const std::optional<QByteArray> bytes = reader.next();
        if (!bytes) {
            break;
        }
        const QString line = reader.text(*bytes);
        if (line.startsWith(u'@')) {
            raw[i++] = line.mid(2);
        }
    }
    return raw;
}

void checkModeTable(const QByteArray& file, qint64 chunk) {
    ChunkedDevice device(file, chunk);
    const RawModeTexts raw = readRawModeTexts(device);
    FUZZ_CHECK(raw[0].isEmpty());
    for (const QString& text : raw) {
        FUZZ_CHECK(text.size() <= kMaxModeText);
        FUZZ_CHECK(!text.contains(u'\r') && !text.contains(u'\n'));
    }

    // Reading in one go, every line decoded, gives the same texts.
    FUZZ_CHECK(rawModeTextsPlainly(file) == raw);

    const ModeTable table = buildModeTable(raw);
    FUZZ_CHECK(table.has(0) && table.ModeName(0) == QLatin1String("FreeSize"));
    FUZZ_CHECK(table.ModeWidth(0) == 0.0 && table.ModeHeight(0) == 0.0);
    FUZZ_CHECK(!table.has(-1) && !table.has(ModeTable::kLast + 1));
    int modes = 0;
    for (int i = 1; i <= ModeTable::kLast; ++i) {
        FUZZ_CHECK(table.has(i) == !raw[i].isEmpty());
        if (!table.has(i)) {
            continue;
        }
        ++modes;
        const CaptureMode& mode = *table.mode(i);
        FUZZ_CHECK(mode.menuCaption == raw[i]);
        FUZZ_CHECK(mode.name.size() <= kMaxModeText);
        FUZZ_CHECK(!mode.name.contains(u' '));
        FUZZ_CHECK(raw[i].startsWith(mode.name));
        FUZZ_CHECK(std::isfinite(mode.width) && std::isfinite(mode.height));
    }
    FUZZ_CHECK(modes <= ModeTable::kLast);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) {
        return 0;
    }
    const qsizetype maxChars = data[0] % 8;
    const qint64 chunk = 1 + data[1] % 64;
    const QByteArray file = kiramo::fuzzing::bytesOf(data + 2, size - 2);
    checkLineReader(file, maxChars, chunk);
    checkModeTable(file, chunk);
    return 0;
}
