#pragma once

#include "core/ViewTone.h"

#include <QObject>
#include <QPointF>
#include <QSize>

#include <functional>

class QScrollArea;

namespace kiramo {

struct Form1Menus;
class Workspace;

// How the main window shows its canvas: the zoom, the tone, the mirror and the cell names of the
// View menu. Nothing here touches the picture; the canvas turns pointer positions back into
// image pixels through the same view.
class CanvasView : public QObject {
    Q_OBJECT

public:
    struct Window {
        // The room for the canvas on the screen, logical pixels (the screen's available area
        // less the window's frame, menu bar and strip).
        std::function<QSize()> room;
        // Fits the window around the canvas, as after a commit.
        std::function<void()> fitAround;
    };

    CanvasView(Workspace& workspace, QScrollArea& scroll, Form1Menus& menus, Window window);

    [[nodiscard]] double zoom() const { return m_zoom; }
    // The View menu's commands. Keyboard zooms keep the middle of what is shown in place.
    void zoomIn();
    void zoomOut();
    void actualSize();
    void fit();
    // `tone` on, or off again when it is on; the other tones go off.
    void toggleTone(ViewTone tone);
    void toggleMirror();
    void toggleCellLabels();

    // Zooms to `zoom`, keeping the picture's point under `pointer` (logical pixels of the scroll
    // area's viewport) where it is, where scrolling allows.
    void zoomTo(double zoom, QPointF pointer);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A new picture: Actual Size, or Fit when it does not fit on the screen at 1.
    void pictureArriving();
    // The zoom that fits the picture in the window's room.
    [[nodiscard]] double fitting() const;
    void apply();
    void showCellLabels();
    [[nodiscard]] QPointF middle() const;

    Workspace& m_workspace;
    QScrollArea& m_scroll;
    // The scroll area's viewport, whose wheel events are watched; compared, never called: it
    // still sends events while the scroll area is being destroyed.
    const QObject* const m_viewport;
    Form1Menus& m_menus;
    Window m_window;
    double m_zoom = 1.0;
    ViewTone m_tone = ViewTone::Colour;
    bool m_mirrored = false;
    bool m_cellLabels = false;
};

}  // namespace kiramo
