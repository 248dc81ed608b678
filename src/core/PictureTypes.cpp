#include "core/PictureTypes.h"

#include <algorithm>
#include <array>

namespace kiramo {

QStringList picturePatterns(const QList<QByteArray>& readerFormats) {
    QStringList formats;
    for (const QByteArray& format : readerFormats) {
        const QString name = QString::fromLatin1(format).toLower();
        // A name that is no extension (empty, or with a dot or a wildcard) filters nothing.
        if (!name.isEmpty() &&
            std::all_of(name.cbegin(), name.cend(), [](QChar c) { return c.isLetterOrNumber(); })) {
            formats.append(name);
        }
    }
    formats.sort();
    formats.removeDuplicates();

    QStringList patterns{QStringLiteral("*.bmp")};
    constexpr std::array kCommon{"png", "jpg", "jpeg", "gif", "webp"};
    for (const char* common : kCommon) {
        if (formats.contains(QLatin1String(common))) {
            patterns.append(QStringLiteral("*.") + QLatin1String(common));
        }
    }
    for (const QString& name : std::as_const(formats)) {
        const QString pattern = QStringLiteral("*.") + name;
        if (!patterns.contains(pattern)) {
            patterns.append(pattern);
        }
    }
    return patterns;
}

}  // namespace kiramo
