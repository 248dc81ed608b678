#pragma once

#include "canvas/LabelDragger.h"
#include "platform/ScreenMetrics.h"

#include <QObject>
#include <QPointF>
#include <QRgb>

#include <functional>

class QMouseEvent;

namespace kiramo {

class ModeTable;
class SizeLabel;
class Surface;

// The selection on the canvas `P1`, held by the label `L1` in twips of the canvas: anchoring,
// stretching by the current mode's rules, removing it with a click, moving it by dragging its
// label, and the right-button colour pick.
class CanvasSelection : public QObject {
    Q_OBJECT

public:
    struct Hooks {
        std::function<void(QRgb)> pickColour;  // a right press on the canvas
        std::function<void()> labelRightPress;
    };

    CanvasSelection(Surface* canvas, SizeLabel* label, const ModeTable& modes, const int& modeIndex,
                    const ScreenMetrics& metrics, Hooks hooks);

    // The colour of the canvas pixel under a point of the canvas (logical widget pixels).
    [[nodiscard]] QRgb colourAt(QPointF local) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void press(QMouseEvent* event);
    void move(QMouseEvent* event);
    void release(QMouseEvent* event);
    void labelPressed(Qt::MouseButton button, QPointF inLabel);
    // A point of the canvas (logical widget pixels): the device pixel under it, in twips.
    [[nodiscard]] QPointF toTwips(QPointF local) const;
    // The colour of an image pixel; outside the image, the canvas's background.
    [[nodiscard]] QRgb colourOfPixel(QPoint pixel) const;

    Surface* m_canvas;
    SizeLabel* m_label;
    const ModeTable& m_modes;
    const int& m_modeIndex;
    ScreenMetrics m_metrics;
    Hooks m_hooks;
    LabelDragger m_dragger;
    // The anchor of the rectangle being drawn and where the label was grabbed (twips).
    double DragStartX = 0.0;
    double DragStartY = 0.0;
    double LabelGrabX = 0.0;
    double LabelGrabY = 0.0;
};

}  // namespace kiramo
