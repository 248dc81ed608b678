#pragma once

#include <QImage>
#include <QWidget>

namespace kiramo {

class ModeTable;
class ScreenGrabber;
class SelectionController;
class SizeLabel;

// The capture window: the frozen screen over the whole primary screen, and the rubber band
// `L1` on it. Positions here are device pixels of the screen (the frozen image's pixels).
// One Form2 exists per capture; it deletes itself when it closes. It reports what became of
// the capture and never reaches into the main window.
class Form2 : public QWidget {
    Q_OBJECT

public:
    // How long other windows get to repaint what the main window covered, once it has left
    // the screen, before the screen is read.
    static constexpr int kSettleMilliseconds = 40;

    // The band follows the rules of the current mode `modeIndex` of `modes`; both must outlive
    // the window.
    Form2(ScreenGrabber& grabber, const ModeTable& modes, const int& modeIndex);
    ~Form2() override;

    // The load step: GrabScreen (the screen is frozen into this window, which is shown over
    // it), then the pointers. The caller has taken its own windows off the screen; the grab
    // gives the windows below a moment to repaint, so this returns before the window is shown.
    void load();

    [[nodiscard]] const QImage& frozenImage() const { return m_frozen; }
    [[nodiscard]] SizeLabel* band() const { return L1; }

    // Takes the band's rectangle into the canvas and closes the capture.
    void TransferCapture();
    // Closes the capture without a picture.
    void abandon();

signals:
    // The screen is frozen and shown.
    void frozen();
    // The capture is over with the band's block of the frozen screen; `bandSize` is the band's
    // exact size in pixels, fractions kept, for the caption.
    void transferred(const QImage& picture, QSizeF bandSize);
    // The capture is over without a picture: abandoned, or the window closed.
    void abandoned();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void GrabScreen();
    void end();

    ScreenGrabber& m_grabber;
    const ModeTable& m_modes;
    const int& m_modeIndex;
    SizeLabel* const L1;
    SelectionController* const m_band;
    QImage m_frozen;
    bool m_loaded = false;  // the screen is frozen and the hourglass gone
    bool m_done = false;    // transferred, abandoned or closed
};

}  // namespace kiramo
