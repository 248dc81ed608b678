#include "core/Caption.h"

namespace kiramo {

QString captionNotice() {
    return QStringLiteral("  右クリックで色記録");
}

QString captionText(const QString& subject, const QString& modeName) {
    return subject + QStringLiteral(" Mode:") + modeName + captionNotice();
}

}  // namespace kiramo
