#include "core/RubberBand.h"

#include "core/NumberText.h"

#include <cmath>

namespace kiramo {

bool isRatioModifier(Qt::KeyboardModifiers modifiers) {
    return (modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) != 0;
}

std::optional<QSizeF> stretchedSize(double w, double h, bool modifier, int modeIndex,
                                    double modeWidth, double modeHeight) {
    if (modeIndex == 0) {
        if (w > 1.0 && h > 1.0) {
            return QSizeF(modifier ? h : w, h);
        }
        return std::nullopt;
    }
    const double numerator = modifier ? modeWidth : modeHeight;
    const double denominator = modifier ? modeHeight : modeWidth;
    if (denominator == 0.0) {
        return std::nullopt;
    }
    const double width = h * numerator / denominator;
    if (!std::isfinite(width) || !(width > 1.0) || !(h > 1.0)) {
        return std::nullopt;
    }
    return QSizeF(width, h);
}

QString captureCaption(QSizeF pixels, int modeIndex, const QString& modeName) {
    if (modeIndex == 0) {
        return writeNumber(pixels.width()) + QStringLiteral(" x ") + writeNumber(pixels.height());
    }
    return modeName + u' ' + QString::number(roundHalfEven16(pixels.width())) + u'x' +
           QString::number(roundHalfEven16(pixels.height()));
}

QString selectionCaption(QSizeF twips, TwipScale scale, int modeIndex, const QString& modeName) {
    if (modeIndex != 0) {
        return modeName;
    }
    return writeNumber(scale.toPixelsX(twips.width())) + QStringLiteral(" x ") +
           writeNumber(scale.toPixelsY(twips.height()));
}

}  // namespace kiramo
