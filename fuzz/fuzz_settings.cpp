// KIRAMO.INI: bytes -> LineReader -> readRawModeTexts -> buildModeTable.
// Input: one byte for the largest line kept by the checked reader (0..7 characters), one for the
// size of the device's reads (1..64 bytes), then the file.
// Invariants: the block reader splits lines exactly as reading one character at a time does
// (after a byte-order mark, of the file turned whole into UTF-8), keeping at most its cap of each;
// the mode texts are those that the rule, stated on the lines of the whole file, gives; at most
// 30 modes; no mode text, name or caption beyond kMaxModeText characters; every size finite; no
// crash, leak or undefined behaviour.
#include "FuzzSupport.h"

#include "core/LineReader.h"
#include "core/ModeTable.h"

#include <QRegularExpression>

#include <cmath>
#include <vector>

using namespace kiramo;
using namespace kiramo::fuzzing;

namespace {

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

// The raw mode texts by the rule as written, not by the reader's steps: of the lines of the
// whole file, the first 30 whose text starts with "@" give texts 1 to 30, each its line less
// the "@" and the one character after it, whatever that is (an "@" line of one or two
// characters gives an empty text).
RawModeTexts rawModeTextsByTheRule(const QByteArray& file) {
    static const QRegularExpression atLine(QStringLiteral("^@(?:.(.*))?"),
                                           QRegularExpression::DotMatchesEverythingOption);
    RawModeTexts raw;
    int i = 1;
    for (const QByteArray& whole : linesOneByOne(textBytes(file))) {
        if (i > ModeTable::kLast) {
            break;
        }
        if (const QRegularExpressionMatch match = atLine.match(lineText(whole, kMaxModeText + 2));
            match.hasMatch()) {
            raw[i++] = match.captured(1);
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

    FUZZ_CHECK(rawModeTextsByTheRule(file) == raw);

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
