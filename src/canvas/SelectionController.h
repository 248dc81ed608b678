#pragma once

#include "canvas/LabelDragger.h"
#include "core/TwipScale.h"

#include <QObject>
#include <QPointF>
#include <QSizeF>
#include <QString>

#include <functional>

class QKeyEvent;
class QMouseEvent;
class QWidget;

namespace kiramo {

class ModeTable;
class SizeLabel;

// The rectangle drawn on a host window and held by its size label `L1`: a press anchors it, the
// left button alone stretches it by the current mode's rules, dragging the label moves it. The
// canvas (in twips) and the capture window (in device pixels) both use it; what differs between
// them is in its Rules. It takes the host's mouse events through an event filter.
class SelectionController : public QObject {
    Q_OBJECT

public:
    struct Rules {
        // The host's units per device pixel: twips per pixel on the canvas, 1 on the frozen
        // screen. The label must be made with the same scale.
        TwipScale unitsPerPixel{1.0, 1.0};
        // The canvas: a press while a rectangle exists removes it, the right button picks a
        // colour instead, and a rectangle that was anchored but not stretched is gone when the
        // button is released (a click is no selection; kept, the next click would only remove
        // it, or land on its label). The capture window: while the band exists presses do
        // nothing, and the right button anchors like any other.
        bool pressRemoves = false;
        bool rightPressPicks = false;
        // The canvas takes a drop only on its visible part (anywhere else the rectangle is
        // gone); the capture window takes it anywhere.
        bool dropOnlyOnHost = false;
        // The label's caption for a rectangle of `size` (host units) in mode `mode`.
        std::function<QString(QSizeF size, int mode)> caption;
        // The host's picture in device pixels: keyboard moves stop at its edges. None when
        // unset.
        std::function<QSize()> pictureSize;
    };

    SelectionController(QWidget* host, SizeLabel* label, const ModeTable& modes,
                        const int& modeIndex, Rules rules);

    // Ends a drag of the label, if one is under way; the label stays hidden.
    void endDrag() { m_dragger.finish(); }

signals:
    // A right press on the host where the rules make it a pick, on `pixel` (device pixels of
    // the host).
    void rightPressed(QPoint pixel);
    // A right press on the label, on `pixel` of the host (device pixels).
    void labelRightPressed(QPoint pixel);
    // Return, or Escape, on the host while a rectangle exists.
    void takeKeyPressed();
    void giveUpKeyPressed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void press(QMouseEvent* event);
    void move(QMouseEvent* event);
    void release(QMouseEvent* event);
    void labelPressed(Qt::MouseButton button, QPointF inLabel);
    // Arrows move or resize the rectangle; true when the key was taken.
    bool key(QKeyEvent* event);
    // The device pixel under the pointer, in host units; and a point in host units in logical
    // pixels.
    [[nodiscard]] QPointF toUnits(const QMouseEvent& event) const;
    [[nodiscard]] QPointF toLocal(QPointF units) const;

    QWidget* m_host;
    SizeLabel* m_label;
    const ModeTable& m_modes;
    const int& m_modeIndex;
    Rules m_rules;
    LabelDragger m_dragger;
    // The anchor of the rectangle being drawn and where the label was grabbed (host units).
    double DragStartX = 0.0;
    double DragStartY = 0.0;
    double LabelGrabX = 0.0;
    double LabelGrabY = 0.0;
    // Anchored by the last press and not stretched since.
    bool m_unstretched = false;
};

}  // namespace kiramo
