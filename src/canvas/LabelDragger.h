#pragma once

#include <QPointF>

class QWidget;

namespace kiramo {

class SizeLabel;

// Moves a size label by hand: while the label is dragged it is hidden, an outline of its size
// follows the pointer, and the host window takes every mouse event until the drop. The host
// decides where the label lands (or whether the drop is accepted at all).
class LabelDragger {
public:
    LabelDragger(QWidget* host, SizeLabel* label);
    ~LabelDragger();
    LabelDragger(const LabelDragger&) = delete;
    LabelDragger& operator=(const LabelDragger&) = delete;

    // Starts a drag grabbed at `grab` (logical pixels inside the label): hides the label and
    // shows the outline in its place.
    void begin(QPointF grab);
    [[nodiscard]] bool isActive() const { return m_active; }
    // The pointer is at `hostPos` (logical pixels of the host): the outline follows.
    void moveTo(QPointF hostPos);
    // Ends the drag: the outline goes, the mouse is released. The label stays hidden.
    void finish();

private:
    QWidget* m_host;
    SizeLabel* m_label;
    QWidget* m_outline;
    QPointF m_grab;
    bool m_active = false;
};

}  // namespace kiramo
