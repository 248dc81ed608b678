// WIN.INI: bytes -> readAssociationTable, and lookups in the table.
// Input: one byte for the size of the device's reads (1..64 bytes), then the file.
// Invariants: at most 200 entries; entries past AssocLast empty; every key "." and an upper-case,
// trimmed extension without "=" or "^"; every command trimmed, without "^"; neither beyond the
// kept part of a line; the table is the one that the rule, stated on the lines of the whole
// file, gives; a lookup gives the first entry of its key; no crash, leak or undefined
// behaviour.
#include "FuzzSupport.h"

#include "core/Associations.h"
#include "core/LineReader.h"

#include <QRegularExpression>

using namespace kiramo;
using namespace kiramo::fuzzing;

namespace {

// The table by the rule as written, not by the reader's steps: on the lines of the whole file,
// the section starts after the first line that holds "[EXTENSIONS]" in upper case; each line
// after it that holds a "^" is one entry, up to 200; the first without ends the table. An
// entry's key is what stands before its first "=", its command what stands between that "="
// and the first "^" (both trimmed; the key upper case, the command as written, since Linux
// names are case-sensitive); a line with no "=" before its "^" leaves its entry empty.
AssociationTable tableByTheRule(const QByteArray& file) {
    static const QRegularExpression entry(QStringLiteral("^([^=^]*)=([^^]*)\\^"),
                                          QRegularExpression::DotMatchesEverythingOption);
    const std::vector<QByteArray> lines = linesOneByOne(textBytes(file));
    auto line = lines.begin();
    while (line != lines.end() &&
           !lineText(*line, LineReader::kMaxChars).toUpper().contains(u"[EXTENSIONS]")) {
        ++line;
    }
    AssociationTable table;
    if (line == lines.end()) {
        return table;
    }
    for (++line; line != lines.end() && table.AssocLast < AssociationTable::kLast; ++line) {
        const QString text = lineText(*line, LineReader::kMaxChars);
        if (!text.contains(u'^')) {
            break;
        }
        if (const QRegularExpressionMatch m = entry.match(text); m.hasMatch()) {
            table.AssocExt[table.AssocLast] = u'.' + m.captured(1).trimmed().toUpper();
            table.AssocCommand[table.AssocLast] = m.captured(2).trimmed();
        }
        ++table.AssocLast;
    }
    return table;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) {
        return 0;
    }
    const QByteArray file = kiramo::fuzzing::bytesOf(data + 1, size - 1);
    ChunkedDevice device(file, 1 + data[0] % 64);
    const AssociationTable table = readAssociationTable(device);

    const AssociationTable whole = tableByTheRule(file);
    FUZZ_CHECK(whole.AssocLast == table.AssocLast);
    FUZZ_CHECK(whole.AssocExt == table.AssocExt && whole.AssocCommand == table.AssocCommand);

    FUZZ_CHECK(table.AssocLast >= 0 && table.AssocLast <= AssociationTable::kLast);
    for (int i = 0; i <= AssociationTable::kLast; ++i) {
        const QString& key = table.AssocExt[i];
        const QString& command = table.AssocCommand[i];
        if (i >= table.AssocLast) {
            FUZZ_CHECK(key.isEmpty() && command.isEmpty());
        }
        if (key.isEmpty()) {
            FUZZ_CHECK(command.isEmpty());
            continue;
        }
        const QString extension = key.mid(1);
        FUZZ_CHECK(key.startsWith(u'.'));
        FUZZ_CHECK(extension == extension.toUpper());
        FUZZ_CHECK(extension == extension.trimmed());
        FUZZ_CHECK(!extension.contains(u'=') && !extension.contains(u'^'));
        FUZZ_CHECK(command == command.trimmed() && !command.contains(u'^'));
        // Upper case can lengthen a text (ß is SS), at most threefold.
        FUZZ_CHECK(command.size() < LineReader::kMaxChars);
        FUZZ_CHECK(extension.size() < 3 * LineReader::kMaxChars);
        // The lookup finds the first entry with this key.
        int first = 0;
        while (table.AssocExt[first] != key) {
            ++first;
        }
        FUZZ_CHECK(table.lookup(key) == table.AssocCommand[first]);
    }
    FUZZ_CHECK(table.lookup(QString()).isEmpty());
    return 0;
}
