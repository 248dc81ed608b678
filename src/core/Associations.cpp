#include "core/Associations.h"

#include "core/LineReader.h"

#include <algorithm>

namespace kiramo {

QString AssociationTable::lookup(const QString& key) const {
    for (int i = 0; i <= AssocLast && i <= kLast; ++i) {
        if (AssocExt[i] == key && !key.isEmpty()) {
            return AssocCommand[i];
        }
    }
    return QString();
}

namespace {

// Whether a line (as `reader` keeps it) holds "[EXTENSIONS]" in any letter case. Most lines of
// a long WIN.INI are settled on their bytes alone: the header needs a "[", which is the one byte
// 0x5B in every encoding that decodeLine reads, and a line of ASCII bytes is its own text.
bool holdsSectionHeader(const LineReader& reader, const QByteArray& bytes) {
    const QLatin1String header("[EXTENSIONS]");
    if (!bytes.contains('[')) {
        return false;
    }
    const bool ascii = std::all_of(bytes.begin(), bytes.end(),
                                   [](char c) { return static_cast<uchar>(c) < 0x80; });
    if (ascii) {
        const QLatin1String text(bytes.constData(), std::min(bytes.size(), reader.maxChars()));
        return text.contains(header, Qt::CaseInsensitive);
    }
    return reader.text(bytes).toUpper().contains(header);
}

}  // namespace

AssociationTable readAssociationTable(QIODevice& device) {
    AssociationTable table;
    LineReader reader(device);
    bool inSection = false;
    while (!inSection) {
        const std::optional<QByteArray> line = reader.next();
        if (!line) {
            return table;
        }
        inSection = holdsSectionHeader(reader, *line);
    }
    int n = 0;
    while (n < AssociationTable::kLast) {
        const std::optional<QByteArray> bytes = reader.next();
        if (!bytes) {
            break;
        }
        const QString line = reader.text(*bytes);
        const qsizetype caret = line.indexOf(u'^');
        if (caret < 0) {
            break;
        }
        const QString kept = line.left(caret);
        const qsizetype equals = kept.indexOf(u'=');
        if (equals >= 0) {
            table.AssocExt[n] = u'.' + kept.left(equals).trimmed().toUpper();
            table.AssocCommand[n] = kept.mid(equals + 1).trimmed();
        }
        ++n;
    }
    table.AssocLast = n;
    return table;
}

}  // namespace kiramo
