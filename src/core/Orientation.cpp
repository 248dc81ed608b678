#include "core/Orientation.h"

#include <QCoreApplication>

namespace kiramo {

Orientation orientationOf(QSizeF size) {
    if (!(size.width() > 0.0) || !(size.height() > 0.0) || size.width() == size.height()) {
        return Orientation::None;
    }
    return size.width() < size.height() ? Orientation::Portrait : Orientation::Landscape;
}

bool ratioModifier(bool modifierHeld, bool landscape, int modeIndex) {
    return modeIndex == 0 ? modifierHeld : modifierHeld != landscape;
}

QString orientationSuffix(QSizeF size, int modeIndex) {
    if (modeIndex == 0) {
        return QString();
    }
    switch (orientationOf(size)) {
    case Orientation::Portrait:
        return u' ' + QCoreApplication::translate("Orientation", "縦");
    case Orientation::Landscape:
        return u' ' + QCoreApplication::translate("Orientation", "横");
    case Orientation::None:
        break;
    }
    return QString();
}

}  // namespace kiramo
