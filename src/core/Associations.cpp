#include "core/Associations.h"

#include "core/LineReader.h"

namespace kiramo {

QString AssociationTable::lookup(const QString& key) const {
    for (int i = 0; i <= AssocLast && i <= kLast; ++i) {
        if (AssocExt[i] == key && !key.isEmpty()) {
            return AssocCommand[i];
        }
    }
    return QString();
}

AssociationTable readAssociationTable(QIODevice& device) {
    AssociationTable table;
    LineReader reader(device);
    bool inSection = false;
    while (!inSection) {
        const std::optional<QByteArray> line = reader.next();
        if (!line) {
            return table;
        }
        inSection = decodeLine(*line).toUpper().contains(QStringLiteral("[EXTENSIONS]"));
    }
    int n = 0;
    while (n < AssociationTable::kLast) {
        const std::optional<QByteArray> bytes = reader.next();
        if (!bytes) {
            break;
        }
        const QString line = decodeLine(*bytes);
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
