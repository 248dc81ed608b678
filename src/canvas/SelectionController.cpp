#include "canvas/SelectionController.h"

#include "canvas/SizeLabel.h"
#include "canvas/Surface.h"
#include "core/BandKeys.h"
#include "core/ModeTable.h"

#include <QKeyEvent>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QWidget>

#include <cmath>
#include <limits>

namespace kiramo {

SelectionController::SelectionController(QWidget* host, SizeLabel* label, const ModeTable& modes,
                                         const int& modeIndex, Rules rules)
    : QObject(host)
    , m_host(host)
    , m_label(label)
    , m_modes(modes)
    , m_modeIndex(modeIndex)
    , m_rules(std::move(rules))
    , m_dragger(host, label) {
    host->installEventFilter(this);
    connect(label, &SizeLabel::pressed, this, &SelectionController::labelPressed);
}

QPointF SelectionController::toUnits(const QMouseEvent& event) const {
    const QPoint pixel = imagePixelUnder(*m_host, event);
    return m_rules.unitsPerPixel.toTwips(QPointF(pixel));
}

QPointF SelectionController::toLocal(QPointF units) const {
    return logicalOfImage(*m_host, m_rules.unitsPerPixel.toPixels(units));
}

bool SelectionController::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_host) {
        return QObject::eventFilter(watched, event);
    }
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        press(static_cast<QMouseEvent*>(event));
        return true;
    case QEvent::MouseButtonDblClick:
        // The second press of a left (or middle) double-click is no new press; every right
        // press counts, however quickly it follows the last.
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
    case QEvent::KeyPress:
        return key(static_cast<QKeyEvent*>(event)) || QObject::eventFilter(watched, event);
    default:
        return QObject::eventFilter(watched, event);
    }
}

void SelectionController::press(QMouseEvent* event) {
    if (m_dragger.isActive()) {
        return;
    }
    if (m_rules.rightPressPicks && event->button() == Qt::RightButton) {
        emit rightPressed(imagePixelUnder(*m_host, *event));
        return;
    }
    if (!m_label->isHidden()) {
        if (m_rules.pressRemoves) {
            m_label->hide();  // a press removes the rectangle and starts nothing
        }
        return;
    }
    const QPointF p = toUnits(*event);
    DragStartX = p.x();
    DragStartY = p.y();
    m_label->setRect(LabelRect{DragStartX, DragStartY, 1.0, 1.0});
    m_label->show();
    m_unstretched = true;
}

void SelectionController::move(QMouseEvent* event) {
    if (m_dragger.isActive()) {
        m_dragger.moveTo(toLocal(toUnits(*event)));  // the pointer's device pixel
        return;
    }
    if (event->buttons() != Qt::LeftButton || m_label->isHidden()) {
        return;
    }
    const int mode = m_modeIndex;
    // On a mirrored canvas a drag to the right on the screen goes left in the picture: the
    // rectangle grows leftwards from the anchor's pixel, which stays its rightmost one.
    const auto* canvas = qobject_cast<const Surface*>(m_host);
    const bool mirrored = canvas != nullptr && canvas->view().mirrored;
    QPointF pointer = toUnits(*event);
    if (mirrored) {
        pointer.setX(2 * DragStartX - pointer.x());
    }
    if (const std::optional<QSizeF> size =
            stretchLabel(*m_label, QPointF(DragStartX, DragStartY), pointer, event->modifiers(),
                         m_modes, mode)) {
        if (mirrored) {
            m_label->moveTopLeft(DragStartX + m_rules.unitsPerPixel.x - size->width(), DragStartY);
        }
        m_label->setText(m_rules.caption(*size, mode));
        m_unstretched = false;
    }
}

void SelectionController::release(QMouseEvent* event) {
    if (!m_dragger.isActive()) {
        if (event->buttons() == Qt::NoButton) {  // the last button up
            if (m_unstretched && m_rules.pressRemoves) {
                m_label->hide();
            }
            m_unstretched = false;
        }
        return;
    }
    m_dragger.finish();
    if (m_rules.dropOnlyOnHost && !m_host->visibleRegion().contains(event->position().toPoint())) {
        return;
    }
    // The drop: the point of the label that was grabbed lands under the pointer.
    const QPointF p = toUnits(*event);
    m_label->moveTopLeft(p.x() - LabelGrabX, p.y() - LabelGrabY);
    m_label->show();
}

void SelectionController::labelPressed(Qt::MouseButton button, QPointF inLabel) {
    if (button == Qt::RightButton) {
        const LabelRect& r = m_label->rect();
        emit labelRightPressed(QPoint(
            static_cast<int>(std::lround(m_rules.unitsPerPixel.toPixelsX(r.left + inLabel.x()))),
            static_cast<int>(std::lround(m_rules.unitsPerPixel.toPixelsY(r.top + inLabel.y())))));
        return;
    }
    LabelGrabX = inLabel.x();
    LabelGrabY = inLabel.y();
    // The grabbed point within the label as shown (zoomed, perhaps mirrored).
    const LabelRect& r = m_label->rect();
    const QPointF corner = toLocal(QPointF(r.left, r.top));
    const QPointF far = toLocal(QPointF(r.left + r.width, r.top + r.height));
    m_dragger.begin(toLocal(QPointF(r.left, r.top) + inLabel) -
                    QPointF(std::min(corner.x(), far.x()), corner.y()));
}

bool SelectionController::key(QKeyEvent* event) {
    if (m_dragger.isActive() || m_label->isHidden()) {
        return false;
    }
    const BandKeyStep step = bandKeyStep(event->key(), event->modifiers());
    switch (step.action) {
    case BandKeyAction::None:
        return false;
    case BandKeyAction::Take:
        // Only where taking means something (the capture window); elsewhere the key goes on.
        if (!isSignalConnected(QMetaMethod::fromSignal(&SelectionController::takeKeyPressed))) {
            return false;
        }
        emit takeKeyPressed();
        return true;
    case BandKeyAction::GiveUp:
        emit giveUpKeyPressed();
        return true;
    case BandKeyAction::Move: {
        // As a drop: the anchor stays where it was first set, so a later stretch with the
        // mouse measures from it again.
        QSizeF bounds(std::numeric_limits<double>::infinity(),
                      std::numeric_limits<double>::infinity());
        if (m_rules.pictureSize) {
            bounds = m_rules.unitsPerPixel.toTwips(QSizeF(m_rules.pictureSize()));
        }
        const LabelRect r =
            movedBand(m_label->rect(), step.dx, step.dy, m_rules.unitsPerPixel, bounds);
        m_label->moveTopLeft(r.left, r.top);
        return true;
    }
    case BandKeyAction::Resize: {
        const int mode = m_modeIndex;
        const LabelRect& r = m_label->rect();
        if (const std::optional<QSizeF> size =
                resizedBand(QSizeF(r.width, r.height), step.dx, step.dy, m_rules.unitsPerPixel,
                            mode, m_modes.ModeWidth(mode), m_modes.ModeHeight(mode))) {
            m_label->setRect(LabelRect{r.left, r.top, size->width(), size->height()});
            m_label->setText(m_rules.caption(*size, mode));
            m_unstretched = false;
        }
        return true;
    }
    }
    return false;
}

}  // namespace kiramo
