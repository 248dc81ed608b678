#pragma once

#include <QImage>
#include <QRect>
#include <QString>
#include <QWidget>

namespace kiramo {

class ModeTable;
class SelectionController;
class SizeLabel;

// The capture window of one monitor: that monitor's frozen pixels over the whole of it, and the
// rubber band `L1` on them. Positions here are device pixels of the monitor (the frozen image's
// pixels). A capture shows one Form2 per monitor; each deletes itself when it closes. It reports
// what became of the capture and never reaches into the main window.
class Form2 : public QWidget {
    Q_OBJECT

public:
    // The window of monitor `screenName` at `place` (logical pixels of the desktop). The band
    // follows the rules of the current mode `modeIndex` of `modes`; both must outlive the window.
    Form2(const QString& screenName, QRect place, const ModeTable& modes, const int& modeIndex);
    ~Form2() override;

    // Makes the window and the memory it paints into, before the screen is read: the frozen
    // screen then shows with one copy. Not shown; load() does this itself when not done before.
    void prepare();
    // Shows `frozen` (the monitor's device pixels) full-screen on its monitor, with the
    // crosshair.
    void load(const QImage& frozen);
    [[nodiscard]] const QString& screenName() const { return m_screenName; }
    [[nodiscard]] QRect place() const { return m_place; }

    [[nodiscard]] const QImage& frozenImage() const { return m_frozen; }
    [[nodiscard]] SizeLabel* band() const { return L1; }

    // Takes the band's rectangle into the canvas and closes the capture.
    void TransferCapture();
    // Closes the capture without a picture.
    void abandon();

signals:
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
    void end();

    const ModeTable& m_modes;
    const int& m_modeIndex;
    SizeLabel* const L1;
    SelectionController* const m_band;
    QImage m_frozen;
    QString m_screenName;
    QRect m_place;  // the monitor, logical pixels of the desktop
    bool m_prepared = false;
    bool m_done = false;  // transferred, abandoned or closed
};

}  // namespace kiramo
