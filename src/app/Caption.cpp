#include "app/Caption.h"

namespace kiramo {

QString captionNotice() {
    return QStringLiteral("  - ドラッグで範囲選択、右クリックで色を記録");
}

QString captionText(const QString& subject, const QString& modeName) {
    return subject + QStringLiteral(" Mode:") + modeName + captionNotice();
}

QString captionForMode(const QString& current, const QString& modeName) {
    const qsizetype colon = current.indexOf(u':');
    if (colon < 0) {
        return captionText(QString(), modeName);
    }
    return current.left(colon + 1) + modeName + captionNotice();
}

}  // namespace kiramo
