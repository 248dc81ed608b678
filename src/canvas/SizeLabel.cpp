#include "canvas/SizeLabel.h"

#include "canvas/Surface.h"
#include "core/ModeTable.h"
#include "core/Orientation.h"
#include "core/RubberBand.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace kiramo {

SizeLabel::SizeLabel(TwipScale unitsPerPixel, const QColor& text, QWidget* parent)
    : QLabel(QStringLiteral("L1"), parent)
    , m_unitsPerPixel(unitsPerPixel) {
    setObjectName(QStringLiteral("L1"));
    setAlignment(Qt::AlignCenter);
    setFrameShape(QFrame::Box);
    setLineWidth(1);
    setAttribute(Qt::WA_TranslucentBackground);
    setAutoFillBackground(false);
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, text);
    setPalette(palette);
    setCursor(Qt::SizeAllCursor);
    hide();
}

void SizeLabel::setHalo(bool halo) {
    m_halo = halo;
    update();
}

void SizeLabel::paintEvent(QPaintEvent* event) {
    if (!m_halo) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    // The frame: black dashes on white, one pixel wide, as wide as the plain frame.
    const QRectF frame = QRectF(QWidget::rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(QPen(Qt::white, 1.0));
    painter.drawRect(frame);
    painter.setPen(QPen(palette().color(QPalette::WindowText), 1.0, Qt::DashLine));
    painter.drawRect(frame);
    // The caption: the text colour inside a white outline.
    QPainterPath path;
    const QFontMetricsF metrics(font());
    const QPointF origin((width() - metrics.horizontalAdvance(text())) / 2.0,
                         (height() - metrics.height()) / 2.0 + metrics.ascent());
    path.addText(origin, font(), text());
    painter.setRenderHint(QPainter::Antialiasing);
    painter.strokePath(path, QPen(Qt::white, 3.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.fillPath(path, palette().color(QPalette::WindowText));
}

void SizeLabel::setRect(const LabelRect& rect) {
    m_rect = rect;
    // Window units -> device pixels of the image below -> logical pixels of the widget.
    const double ratio = devicePixelRatioF();
    const double x = pixelOfTwips(rect.left, m_unitsPerPixel.x);
    const double y = pixelOfTwips(rect.top, m_unitsPerPixel.y);
    const double w = std::max(1.0, std::round(m_unitsPerPixel.toPixelsX(rect.width)));
    const double h = std::max(1.0, std::round(m_unitsPerPixel.toPixelsY(rect.height)));
    QRectF shown(x, y, w, h);
    // On a zoomed or mirrored canvas: where its view shows those image pixels.
    if (const auto* surface = qobject_cast<const Surface*>(parentWidget())) {
        shown = surface->view().viewRectOf(shown);
    }
    setGeometry(static_cast<int>(std::floor(shown.x() / ratio)),
                static_cast<int>(std::floor(shown.y() / ratio)),
                static_cast<int>(std::ceil(shown.width() / ratio)),
                static_cast<int>(std::ceil(shown.height() / ratio)));
}

void SizeLabel::moveTopLeft(double left, double top) {
    setRect(LabelRect{left, top, m_rect.width, m_rect.height});
}

QPointF SizeLabel::toUnits(const QMouseEvent& event) const {
    // Measured from the rectangle, not from the widget: the widget sits on whole logical pixels,
    // at or up to a logical pixel before the rectangle's corner, and a label dropped right where
    // it was grabbed must stay exactly where it was.
    const QPoint pixel = imagePixelUnder(*parentWidget(), event);
    return m_unitsPerPixel.toTwips(QPointF(pixel)) - QPointF(m_rect.left, m_rect.top);
}

void SizeLabel::mousePressEvent(QMouseEvent* event) {
    emit pressed(event->button(), toUnits(*event));
    event->accept();
}

void SizeLabel::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second press of a quick double press: a left one confirms, a right one is a right
    // press like any other.
    if (event->button() == Qt::LeftButton) {
        emit doubleClicked();
    } else if (event->button() == Qt::RightButton) {
        emit pressed(event->button(), toUnits(*event));
    }
    event->accept();
}

std::optional<QSizeF> stretchLabel(SizeLabel& label, QPointF anchor, QPointF pointer,
                                   Qt::KeyboardModifiers modifiers, const ModeTable& modes,
                                   int mode) {
    const std::optional<QSizeF> size =
        stretchedSize(pointer.x() - anchor.x(), pointer.y() - anchor.y(),
                      ratioModifier(isRatioModifier(modifiers), modes.landscape(), mode), mode,
                      modes.ModeWidth(mode), modes.ModeHeight(mode));
    if (size) {
        const LabelRect& r = label.rect();
        label.setRect(LabelRect{r.left, r.top, size->width(), size->height()});
    }
    return size;
}

}  // namespace kiramo
