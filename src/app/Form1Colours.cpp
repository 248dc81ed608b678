// The values of the colours recorded in the colour strip: its tool tips and the colours that
// Copy Colour Values and Export Palette work on.
#include "app/Form1.h"
#include "canvas/Surface.h"
#include "core/ColourValues.h"
#include "overlay/ColorSwatches.h"

#include <QHelpEvent>
#include <QToolTip>

#include <algorithm>

namespace kiramo {

QList<QRgb> Form1::swatchColours() const {
    const TwipScale scale = m_workspace.scale();
    const int n = lastSwatchIndex(scale.toTwipsX(width() * devicePixelRatioF()), kStripHeight);
    return kiramo::swatchColours(m_P3->image(), std::min(m_recordedSwatches, n + 1), kStripHeight,
                                 scale);
}

void Form1::showSwatchToolTip(const QHelpEvent& event) const {
    const double device = event.pos().x() * m_P3->devicePixelRatioF();
    const int index = swatchAt(m_workspace.scale().toTwipsX(device), kStripHeight);
    const QList<QRgb> colours = swatchColours();
    if (index < 0 || index >= colours.size()) {
        QToolTip::hideText();
        return;
    }
    const QRgb c = colours.at(index);
    QToolTip::showText(
        event.globalPos(),
        hexColour(c) +
            QStringLiteral("\nR %1, G %2, B %3").arg(qRed(c)).arg(qGreen(c)).arg(qBlue(c)),
        m_P3);
}

}  // namespace kiramo
