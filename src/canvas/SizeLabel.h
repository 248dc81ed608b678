#pragma once

#include "core/Selection.h"

#include <QLabel>

#include <optional>

namespace kiramo {

class ModeTable;

// A size label `L1`: a caption centred on a see-through background with a thin frame, stretched
// over a rectangle, with the four-way move pointer. Its rectangle is kept in its window's units
// and shown rounded to pixels. It reports presses and double-clicks to its window, which owns
// all behaviour; visible means that the rectangle exists.
class SizeLabel : public QLabel {
    Q_OBJECT

public:
    // `unitsPerPixel`: the window's units per device pixel (twips per pixel, or 1).
    SizeLabel(TwipScale unitsPerPixel, const QColor& text, QWidget* parent);

    // Draws the frame in two colours and the caption with a light halo, so that the label shows
    // on any picture, dark ones included (the capture band over a frozen screen).
    void setHalo(bool halo);

    [[nodiscard]] const LabelRect& rect() const { return m_rect; }
    void setRect(const LabelRect& rect);
    void moveTopLeft(double left, double top);

    // The device pixel under the pointer of `event`, in the window's units relative to the
    // rectangle's top-left corner.
    [[nodiscard]] QPointF toUnits(const QMouseEvent& event) const;

signals:
    // A press on the label, with the point as toUnits gives it. The second press of a right
    // double-click is reported here too.
    void pressed(Qt::MouseButton button, QPointF inLabel);
    // The second press of a left double-click.
    void doubleClicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    TwipScale m_unitsPerPixel;
    LabelRect m_rect;
    bool m_halo = false;
};

// Stretches `label` from `anchor` to `pointer` (its window's units) by the rubber-band rules of
// mode `mode`; its top-left corner stays where it is. The new size, or nothing when the label
// keeps its last size.
std::optional<QSizeF> stretchLabel(SizeLabel& label, QPointF anchor, QPointF pointer,
                                   Qt::KeyboardModifiers modifiers, const ModeTable& modes,
                                   int mode);

}  // namespace kiramo
