#pragma once

#include "canvas/LabelDragger.h"

#include <QImage>
#include <QWidget>

namespace kiramo {

class Form1;
class SizeLabel;

// The capture window: the frozen screen over the whole primary screen, and the rubber band
// `L1` on it. Positions here are device pixels of the screen (the frozen image's pixels).
// One Form2 exists per capture; it deletes itself when it closes.
class Form2 : public QWidget {
    Q_OBJECT

public:
    // How long other windows get to repaint what the main window covered, once it has left
    // the screen, before the screen is read.
    static constexpr int kSettleMilliseconds = 40;

    explicit Form2(Form1& owner);
    ~Form2() override;

    // The load step: GrabScreen (the main window leaves the screen, the screen is frozen into
    // this window, which is shown over it), then pointers and the main window's state. The
    // grab waits for the main window to be gone, so this returns before the window is shown.
    void load();

    [[nodiscard]] const QImage& frozenImage() const { return m_frozen; }
    [[nodiscard]] SizeLabel* band() const { return L1; }

    // Takes the band's rectangle into the canvas and closes the capture.
    void TransferCapture();
    // Closes the capture and gives the main window back unchanged.
    void abandon();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void GrabScreen();
    void onBandPressed(Qt::MouseButton button, QPointF inLabel);
    // A point of the window (logical pixels): the device pixel under it.
    [[nodiscard]] QPointF toPixels(QPointF logical) const;
    void restoreOwner();

    Form1& m_owner;
    SizeLabel* const L1;
    LabelDragger m_dragger;
    QImage m_frozen;
    // The anchor of the band and where the label was grabbed for a move (pixels).
    double DragStartX = 0.0;
    double DragStartY = 0.0;
    QPointF m_labelGrab;
    bool m_loaded = false;  // the screen is frozen and the hourglass gone
    bool m_done = false;    // transferred, abandoned or closed
};

}  // namespace kiramo
