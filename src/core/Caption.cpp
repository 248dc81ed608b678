#include "core/Caption.h"

namespace kiramo {

QString captionNotice() {
    return QStringLiteral("  - ドラッグで範囲選択、右クリックで色を記録");
}

QString captionText(const QString& subject, const QString& modeName) {
    return subject + QStringLiteral(" Mode:") + modeName + captionNotice();
}

}  // namespace kiramo
