#include "canvas/SelectionLabel.h"

#include <cmath>

namespace kiramo {

SelectionLabel::SelectionLabel(const ScreenMetrics& metrics, QWidget* canvas)
    : QLabel(QStringLiteral("L1"), canvas)
    , m_metrics(metrics) {
    setAlignment(Qt::AlignCenter);
    setFrameShape(QFrame::Box);
    setLineWidth(1);
    setAttribute(Qt::WA_TranslucentBackground);
    setAutoFillBackground(false);
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, QColor(255, 255, 0));
    setPalette(palette);
    setCursor(Qt::SizeAllCursor);
    hide();
}

void SelectionLabel::setTwips(const TwipsRect& rect) {
    m_twips = rect;
    // Device pixels of the canvas image, then logical pixels of the widget.
    const double ratio = devicePixelRatioF();
    const double x = std::floor(m_metrics.toPixelsX(rect.left));
    const double y = std::floor(m_metrics.toPixelsY(rect.top));
    const double w = std::max(1.0, std::round(m_metrics.toPixelsX(rect.width)));
    const double h = std::max(1.0, std::round(m_metrics.toPixelsY(rect.height)));
    setGeometry(static_cast<int>(x / ratio), static_cast<int>(y / ratio),
                static_cast<int>(std::ceil(w / ratio)), static_cast<int>(std::ceil(h / ratio)));
}

}  // namespace kiramo
