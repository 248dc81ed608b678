#include "core/ColourValues.h"

#include <QRegularExpression>

#include <algorithm>

namespace kiramo {

QString hexColour(QRgb colour) {
    return QStringLiteral("#%1%2%3")
        .arg(qRed(colour), 2, 16, QLatin1Char('0'))
        .arg(qGreen(colour), 2, 16, QLatin1Char('0'))
        .arg(qBlue(colour), 2, 16, QLatin1Char('0'))
        .toUpper();
}

std::optional<QRgb> parseHexColour(const QString& text) {
    static const QRegularExpression pattern(QStringLiteral("^#[0-9A-Fa-f]{6}$"));
    const QString trimmed = text.trimmed();
    if (!pattern.match(trimmed).hasMatch()) {
        return std::nullopt;
    }
    return qRgb(trimmed.mid(1, 2).toInt(nullptr, 16), trimmed.mid(3, 2).toInt(nullptr, 16),
                trimmed.mid(5, 2).toInt(nullptr, 16));
}

QString colourValuesText(const QList<QRgb>& colours) {
    QString text;
    for (const QRgb colour : colours) {
        text += hexColour(colour) + u'\n';
    }
    return text;
}

QString gimpPalette(const QString& name, const QList<QRgb>& colours) {
    QString oneLine = name;
    oneLine.replace(QRegularExpression(QStringLiteral("[\\r\\n]+")), QStringLiteral(" "));
    // GIMP takes at most 256 columns; 0 lets the reader choose.
    const qsizetype columns = std::min<qsizetype>(colours.size(), 256);
    QString text = QStringLiteral("GIMP Palette\nName: ") + oneLine +
                   QStringLiteral("\nColumns: %1\n#\n").arg(columns);
    for (const QRgb colour : colours) {
        text += QStringLiteral("%1 %2 %3\t")
                    .arg(qRed(colour), 3)
                    .arg(qGreen(colour), 3)
                    .arg(qBlue(colour), 3) +
                hexColour(colour) + u'\n';
    }
    return text;
}

}  // namespace kiramo
