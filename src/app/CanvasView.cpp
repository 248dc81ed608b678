#include "app/CanvasView.h"

#include "app/Form1Menus.h"
#include "canvas/SizeLabel.h"
#include "canvas/Surface.h"
#include "canvas/Workspace.h"
#include "core/PageLayout.h"
#include "core/ZoomMath.h"

#include <QAction>
#include <QCoreApplication>
#include <QScrollArea>
#include <QScrollBar>
#include <QWheelEvent>

#include <cmath>

namespace kiramo {

CanvasView::CanvasView(Workspace& workspace, QScrollArea& scroll, Form1Menus& menus, Window window)
    : QObject(&scroll)
    , m_workspace(workspace)
    , m_scroll(scroll)
    , m_viewport(scroll.viewport())
    , m_menus(menus)
    , m_window(std::move(window)) {
    connect(&workspace, &Workspace::pictureArriving, this, &CanvasView::pictureArriving);
    connect(&workspace, &Workspace::gridsChanged, this, &CanvasView::showCellLabels);
    connect(workspace.P1, &Surface::viewChanged, this,
            [this] { m_workspace.L1->setRect(m_workspace.L1->rect()); });
    scroll.viewport()->installEventFilter(this);
    apply();
}

void CanvasView::zoomIn() {
    zoomTo(zoomInStep(m_zoom), middle());
}

void CanvasView::zoomOut() {
    zoomTo(zoomOutStep(m_zoom), middle());
}

void CanvasView::actualSize() {
    zoomTo(1.0, middle());
}

void CanvasView::fit() {
    zoomTo(fitting(), middle());
}

void CanvasView::toggleTone(ViewTone tone) {
    m_tone = m_tone == tone ? ViewTone::Colour : tone;
    apply();
}

void CanvasView::toggleMirror() {
    m_mirrored = !m_mirrored;
    apply();
}

void CanvasView::toggleCellLabels() {
    m_cellLabels = !m_cellLabels;
    apply();
}

double CanvasView::fitting() const {
    const QSize room = m_window.room();
    const double ratio = m_workspace.P1->devicePixelRatioF();
    return fitZoom(m_workspace.pictureSize(), QSize(int(std::floor(room.width() * ratio)),
                                                    int(std::floor(room.height() * ratio))));
}

void CanvasView::pictureArriving() {
    m_zoom = std::min(1.0, fitting());
    apply();
}

QPointF CanvasView::middle() const {
    return QPointF(m_scroll.viewport()->rect().center());
}

void CanvasView::zoomTo(double zoom, QPointF pointer) {
    Surface* canvas = m_workspace.P1;
    const double ratio = canvas->devicePixelRatioF();
    // The picture's position under the pointer, in image pixels, fractions kept.
    const QPointF scrolled(m_scroll.horizontalScrollBar()->value(),
                           m_scroll.verticalScrollBar()->value());
    const ZoomView before = canvas->view();
    const QPointF inView = (pointer + scrolled) * ratio / before.zoom;
    const QPointF image(before.mirrored ? before.image.width() - inView.x() : inView.x(),
                        inView.y());
    m_zoom = std::clamp(zoom, minimumZoom(), maximumZoom());
    apply();
    m_window.fitAround();
    const QPoint to =
        scrollKeeping(canvas->view(), image, pointer * ratio, m_scroll.viewport()->size() * ratio);
    m_scroll.horizontalScrollBar()->setValue(int(std::lround(to.x() / ratio)));
    m_scroll.verticalScrollBar()->setValue(int(std::lround(to.y() / ratio)));
}

void CanvasView::apply() {
    m_workspace.P1->setView(m_zoom, m_tone, m_mirrored);
    m_menus.MGreyscale->setChecked(m_tone == ViewTone::Greyscale);
    m_menus.MValues3->setChecked(m_tone == ViewTone::Values3);
    m_menus.MValues5->setChecked(m_tone == ViewTone::Values5);
    m_menus.MMirror->setChecked(m_mirrored);
    m_menus.MCellLabels->setChecked(m_cellLabels);
    m_menus.MZoomShown->setText(
        QCoreApplication::translate("Form1Menus", "表示倍率: %1").arg(zoomPercentText(m_zoom)));
    showCellLabels();
}

void CanvasView::showCellLabels() {
    QList<CellLabel> labels;
    if (m_cellLabels) {
        // The last grid of equal parts or centimetres: the eighths have names of their own on
        // no paper either.
        const QList<DrawnGrid>& grids = m_workspace.drawnGrids();
        for (auto it = grids.crbegin(); it != grids.crend(); ++it) {
            if (it->spacing.kind != GridSpacing::Kind::Eighths) {
                labels = cellLabels(it->grid);
                break;
            }
        }
        const TwipScale scale = m_workspace.scale();
        for (CellLabel& label : labels) {
            label.at = scale.toPixels(label.at);
        }
    }
    m_workspace.P1->setCellLabels(labels);
}

bool CanvasView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_viewport && event->type() == QEvent::Wheel) {
        auto* wheel = static_cast<QWheelEvent*>(event);
        if (wheel->modifiers() & Qt::ControlModifier) {
            const int notches = wheel->angleDelta().y();
            if (notches != 0) {
                zoomTo(notches > 0 ? zoomInStep(m_zoom) : zoomOutStep(m_zoom), wheel->position());
            }
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace kiramo
