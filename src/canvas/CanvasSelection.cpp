#include "canvas/CanvasSelection.h"

#include "app/ModeTable.h"
#include "canvas/RubberBand.h"
#include "canvas/SizeLabel.h"
#include "canvas/Surface.h"

#include <QMouseEvent>

#include <cmath>

namespace kiramo {

CanvasSelection::CanvasSelection(Surface* canvas, SizeLabel* label, const ModeTable& modes,
                                 const int& modeIndex, const ScreenMetrics& metrics, Hooks hooks)
    : QObject(canvas)
    , m_canvas(canvas)
    , m_label(label)
    , m_modes(modes)
    , m_modeIndex(modeIndex)
    , m_metrics(metrics)
    , m_hooks(std::move(hooks))
    , m_dragger(canvas, label) {
    canvas->installEventFilter(this);
    connect(label, &SizeLabel::pressed, this, &CanvasSelection::labelPressed);
}

QPointF CanvasSelection::toTwips(QPointF local) const {
    const QPointF pixel = devicePixelAt(local, m_canvas->devicePixelRatioF());
    return QPointF(m_metrics.toTwipsX(pixel.x()), m_metrics.toTwipsY(pixel.y()));
}

QRgb CanvasSelection::colourAt(QPointF local) const {
    return colourOfPixel(devicePixelAt(local, m_canvas->devicePixelRatioF()).toPoint());
}

QRgb CanvasSelection::colourOfPixel(QPoint pixel) const {
    const QImage& image = m_canvas->image();
    return image.valid(pixel) ? image.pixel(pixel) : m_canvas->background().rgb();
}

bool CanvasSelection::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_canvas) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            press(static_cast<QMouseEvent*>(event));
            return true;
        case QEvent::MouseButtonDblClick:
            // The second press of a left (or middle) double-click is no new press; every right
            // press picks a colour, however quickly it follows the last.
            if (static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
                press(static_cast<QMouseEvent*>(event));
            }
            return true;
        case QEvent::MouseMove:
            move(static_cast<QMouseEvent*>(event));
            return true;
        case QEvent::MouseButtonRelease:
            release(static_cast<QMouseEvent*>(event));
            return true;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

void CanvasSelection::press(QMouseEvent* event) {
    if (m_dragger.isActive()) {
        return;
    }
    if (event->button() == Qt::RightButton) {
        m_hooks.pickColour(colourAt(event->position()));
        return;
    }
    if (!m_label->isHidden()) {
        m_label->hide();  // a press removes the selection and starts nothing
        return;
    }
    const QPointF p = toTwips(event->position());
    DragStartX = p.x();
    DragStartY = p.y();
    m_label->setRect(LabelRect{DragStartX, DragStartY, 1.0, 1.0});
    m_label->show();
}

void CanvasSelection::move(QMouseEvent* event) {
    if (m_dragger.isActive()) {
        m_dragger.moveTo(event->position());
        return;
    }
    if (event->buttons() != Qt::LeftButton || m_label->isHidden()) {
        return;
    }
    const int mode = m_modeIndex;
    if (const std::optional<QSizeF> size =
            stretchLabel(*m_label, QPointF(DragStartX, DragStartY), toTwips(event->position()),
                         event->modifiers(), m_modes, mode)) {
        m_label->setText(selectionCaption(*size, m_metrics.twipsPerPixelX, m_metrics.twipsPerPixelY,
                                          mode, m_modes.ModeName(mode)));
    }
}

void CanvasSelection::release(QMouseEvent* event) {
    if (!m_dragger.isActive()) {
        return;
    }
    m_dragger.finish();
    // Only the canvas takes the drop; dropped anywhere else, the selection is gone.
    if (!m_canvas->visibleRegion().contains(event->position().toPoint())) {
        return;
    }
    const QPointF p = toTwips(event->position());
    m_label->moveTopLeft(p.x() - LabelGrabX, p.y() - LabelGrabY);
    m_label->show();
}

void CanvasSelection::labelPressed(Qt::MouseButton button, QPointF inLabel) {
    if (button == Qt::RightButton) {
        m_hooks.labelRightPress();
        // The label is see-through: the colour under it is picked as on the bare canvas. The
        // point is a whole device pixel in twips (toUnits), so rounding only drops the error.
        const LabelRect& r = m_label->rect();
        m_hooks.pickColour(colourOfPixel(
            QPoint(static_cast<int>(std::lround(m_metrics.toPixelsX(r.left + inLabel.x()))),
                   static_cast<int>(std::lround(m_metrics.toPixelsY(r.top + inLabel.y()))))));
        return;
    }
    LabelGrabX = inLabel.x();
    LabelGrabY = inLabel.y();
    const double ratio = m_label->devicePixelRatioF();
    m_dragger.begin(QPointF(m_metrics.toPixelsX(inLabel.x()) / ratio,
                            m_metrics.toPixelsY(inLabel.y()) / ratio));
}

}  // namespace kiramo
