#include "core/Caption.h"

#include <QCoreApplication>

namespace kiramo {

QString captionNotice() {
    return QCoreApplication::translate("Caption", "  右クリックで色記録");
}

QString captionText(const QString& subject, const QString& modeName) {
    return subject + QStringLiteral(" Mode:") + modeName + captionNotice();
}

}  // namespace kiramo
