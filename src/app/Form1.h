#pragma once

#include "app/AppState.h"
#include "app/Form1Menus.h"
#include "platform/Services.h"

#include <QImage>
#include <QMainWindow>
#include <QPointer>

namespace kiramo {

class CanvasSelection;
class Surface;
class SizeLabel;

// The main window: the canvas `P1`, the hidden committed copy `P2`, the colour strip `P3`, the
// scratch image `P4`, the selection label `L1` and the menu bar. It owns the program's state.
class Form1 : public QMainWindow {
    Q_OBJECT

public:
    // The design's sizes in twips.
    static constexpr double kDesignInnerWidth = 2565.0;
    static constexpr double kCanvasWidth = 2475.0;
    static constexpr double kCanvasHeight = 2055.0;
    static constexpr double kStripHeight = 285.0;

    explicit Form1(const Services& services, QWidget* parent = nullptr);
    ~Form1() override;

    Services services;
    AppState state;
    Form1Menus menus;

    Surface* const P1;  // the canvas
    QImage P2;          // the last committed copy of the canvas
    Surface* const P3;  // the colour strip, docked to the bottom
    QImage P4;          // scratch image for the selected part
    SizeLabel* const L1;

    // The capture window, while a capture is under way; closed at shut-down.
    QPointer<QWidget> Form2;

    // Start-up steps 1 to 3: blank canvas, frame measured, start-up width fixed.
    void clearCanvas();
    void measureFrame();
    // Start-up step 7: the Mode items for the modes of the table.
    void addModeItems();
    void setCaption(const QString& subject);

    // Makes the mode current and rewrites the caption; the selection is removed.
    void selectMode(int index);

    // Copies the canvas into P2 and fits the window around the canvas (and the strip).
    void CommitCanvas();
    // The second half of CommitCanvas alone, for when P2 already holds the canvas.
    void fitWindowToCanvas();
    // Enables the commands that need an image; nothing disables them again.
    void EnableImageCommands();

    // Shows or hides the colour strip, then commits.
    void toggleColorTable();
    // Records a colour in the strip, newest at the left; ignored while the strip is hidden.
    void PushColorSwatch(QRgb colour);

    [[nodiscard]] bool hasSelection() const;
    // True once shut-down has begun: nothing brings the window back then.
    [[nodiscard]] bool isClosing() const { return m_closing; }
    // The canvas area's size in logical pixels: what lies inside the menu bar and the window frame.
    [[nodiscard]] QSize innerSize() const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void connectCommands();
    void layOutStrip();
    void shutDown();
    // The strip's height in logical pixels, as the window's layout measures it.
    [[nodiscard]] int stripHeight() const;

    QWidget* const m_area;
    CanvasSelection* m_selection = nullptr;
    bool m_closing = false;
};

}  // namespace kiramo
