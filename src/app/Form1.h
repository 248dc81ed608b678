#pragma once

#include "app/Form1Menus.h"
#include "canvas/Workspace.h"
#include "overlay/GridStyleDialog.h"
#include "files/LastPicture.h"
#include "paper/PaperOptionsDialog.h"

#include <QMainWindow>
#include <QPointer>
#include <QScrollArea>

class QHelpEvent;

namespace kiramo {

class CanvasView;
class Capture;
class FirstStepHint;
class Form2;
class Surface;

// The main window: the workspace (canvas `P1`, committed copy `P2`, selection `L1`, state), the
// colour strip `P3` and the menu bar. It is the one place that wires menus to commands.
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

    // What the commands work on: canvas, committed copy, selection, caption, state, services.
    [[nodiscard]] Workspace& workspace() { return m_workspace; }
    [[nodiscard]] const Workspace& workspace() const { return m_workspace; }
    // What Export PDF and Print ask before they put the picture on paper.
    [[nodiscard]] PaperOptionsPrompt& paperOptions() { return m_paperOptions; }
    // What "Grid Style..." asks.
    [[nodiscard]] GridStylePrompt& gridStylePrompt() { return m_gridStyle; }
    [[nodiscard]] const Form1Menus& menus() const { return m_menus; }
    // The canvas kept for the next run: at exit and after long work.
    [[nodiscard]] LastPicture& lastPicture() { return m_lastPicture; }
    // The zoom, tones, mirror and cell names of the View menu.
    [[nodiscard]] CanvasView& canvasView() const { return *m_view; }
    // The colour strip, docked to the bottom.
    [[nodiscard]] Surface* P3() const { return m_P3; }
    // The primary monitor's capture window, while the screen is frozen.
    [[nodiscard]] Form2* captureWindow() const;

    // Start-up steps 1 to 3: blank canvas, frame measured, start-up width fixed.
    void clearCanvas();
    void measureFrame();
    // Start-up step 7: the Mode items for the modes of the table.
    void addModeItems();

    // Makes the mode current and rewrites the caption; the selection is removed.
    void selectMode(int index);
    // Turns every mode's rectangle (or back); as a mode change, removes the selection.
    void setLandscape(bool landscape);

    // Shows or hides the colour strip, then commits.
    void toggleColorTable();
    // Records a colour in the strip, newest at the left; ignored while the strip is hidden.
    void PushColorSwatch(QRgb colour);
    // The colours recorded in the strip, left to right, as far as the window's width takes
    // them in (Form1Colours.cpp).
    [[nodiscard]] QList<QRgb> swatchColours() const;

    // "&Capture": the hourglass, the main window leaves the screen and a capture window freezes
    // it. Does nothing while a capture is already under way.
    void startCapture();
    // The capture of a start for that alone: the main window has never been shown and shows
    // only with a picture taken; abandoned, the capture ends the program.
    void startCaptureAlone();

    // True once shut-down has begun: nothing brings the window back then.
    [[nodiscard]] bool isClosing() const { return m_closing; }
    // The canvas area's size in logical pixels: what lies inside the menu bar and the window frame.
    [[nodiscard]] QSize innerSize() const;
    // True while the canvas is blank as at start-up: the window then shows the first step.
    [[nodiscard]] bool canvasIsEmpty() const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Pictures dropped on the window (Form1Drops.cpp).
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void connectCommands();
    // Mode item `index` makes its mode current.
    void connectModeItem(int index);
    // CommitCanvas's second half: the window fitted around the canvas (and the strip).
    void fitWindowToCanvas();
    void publishBaseSize();
    // EnableImageCommands's menu items.
    void enableImageItems();
    void layOutStrip();
    void shutDown();
    // The capture's outcome: the chosen block of the frozen screen with its size for the
    // caption, or nothing when the capture was abandoned.
    void captureTransferred(const QImage& picture, QSizeF captionSize);
    void captureEnded();
    // Back to where the window was before the capture, while it is just returning.
    void returnToPlace();
    // The screen could not be read: the main window comes back, then the message.
    void captureFailed(const QString& reason);
    // The desktop denied reading the screen quietly: the message offers the desktop's own
    // screenshot dialog instead, which starts a capture of that kind.
    void captureDenied(const QString& reason);
    // The strip's height in logical pixels, as the window's layout measures it.
    [[nodiscard]] int stripHeight() const;
    // Moves the window, `size` large, so that its frame lies on the screen it is on.
    void keepOnScreen(QSize size);
    // Shows the values of the recorded colour under the pointer, if any (Form1Colours.cpp).
    void showSwatchToolTip(const QHelpEvent& event) const;
    // The window's own area on its screen (the screen less panels, less the window's frame),
    // logical pixels; empty without a screen.
    [[nodiscard]] QSize screenRoom() const;

    QWidget* const m_area;
    QScrollArea* const m_scroll;  // holds the canvas; scrolls when it is larger than the screen
    Surface* const m_P3;
    Workspace m_workspace;
    LastPicture m_lastPicture{m_workspace};
    Form1Menus m_menus;
    FirstStepHint* m_hint = nullptr;          // over the canvas area while the canvas is empty
    QImage m_blankCanvas;                     // the canvas as start-up leaves it
    CanvasView* m_view = nullptr;
    PaperOptionsDialog m_paperOptions{this};  // what Export PDF and Print ask first
    GridStyleDialog m_gridStyle{this};
    QPointer<Capture> m_capture;
    QPoint m_placeBeforeCapture;   // where the window was when the capture began
    bool m_returning = false;      // just shown again after a capture
    bool m_grewReturning = false;  // and grown then, so kept on the screen once framed
    bool m_hadPlace = false;       // the window was on the screen when the capture began
    bool m_endIfAbandoned = false;
    // How long after a capture the window manager's placement of the window is taken back.
    static constexpr int kReturnMilliseconds = 1000;
    bool m_closing = false;
    int m_recordedSwatches = 0;  // colours recorded in the strip, the dropped ones included
    bool m_interactiveCapture = false;  // the next capture goes through the desktop's dialog
};

}  // namespace kiramo
