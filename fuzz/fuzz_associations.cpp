// WIN.INI: bytes -> readAssociationTable, and lookups in the table.
// Input: one byte for the size of the device's reads (1..64 bytes), then the file.
// Invariants: at most 200 entries; entries past AssocLast empty; every key "." and an upper-case,
// trimmed extension without "=" or "^"; every command trimmed, without "^"; neither beyond the
// kept part of a line; the table is the one of the plain rule (every line decoded, the file
// read in one go); a lookup gives the first entry of its key; no crash, leak or undefined
// behaviour.
#include "FuzzSupport.h"

#include "core/Associations.h"
#include "core/LineReader.h"

#include <QBuffer>

using namespace kiramo;
using kiramo::fuzzing::ChunkedDevice;

namespace {

// readAssociationTable by the plain rule, every line decoded (the real one settles most lines
// before the header on their bytes), the file read in one go.
AssociationTable tablePlainly(const QByteArray& file) {
    QByteArray copy = file;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    LineReader reader(buffer);
    AssociationTable table;
    for (;;) {
        const std::optional<QByteArray> line = reader.next();
        if (!line) {
            return table;
        }
        if (reader.text(*line).toUpper().contains(QLatin1String("[EXTENSIONS]"))) {
            break;
        }
    }
    int n = 0;
    while (n < AssociationTable::kLast) {
        const std::optional<QByteArray> bytes = reader.next();
        if (!bytes) {
            break;
        }
        const QString line = reader.text(*bytes);
        if (!line.contains(u'^')) {
            break;
        }
        const QString kept = line.left(line.indexOf(u'^'));
        if (kept.contains(u'=')) {
            table.AssocExt[n] = u'.' + kept.left(kept.indexOf(u'=')).trimmed().toUpper();
            table.AssocCommand[n] = kept.mid(kept.indexOf(u'=') + 1).trimmed();
        }
        ++n;
    }
    table.AssocLast = n;
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

    const AssociationTable whole = tablePlainly(file);
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
