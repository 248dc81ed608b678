#include "app/Form1.h"

#include "app/CanvasView.h"
#include "app/FirstStepHint.h"
#include "app/HistoryItems.h"
#include "app/WindowPlacement.h"
#include "app/WindowRules.h"
#include "canvas/SelectionController.h"
#include "canvas/SizeLabel.h"
#include "canvas/Surface.h"
#include "capture/Capture.h"
#include "capture/Form2.h"
#include "core/NumberText.h"
#include "core/Orientation.h"
#include "core/RubberBand.h"
#include "overlay/ColorSwatches.h"
#include "platform/Prompts.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QResizeEvent>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QWindow>

#include <cmath>
#include <utility>

// The icon lives in a resource of this static library: it must be registered by hand.
static void initKiramoResources() {
    Q_INIT_RESOURCE(kiramo);
}

namespace kiramo {

namespace {

const QColor kLightGrey(192, 192, 192);

// The width of a window manager's border, as a guess for a window not framed yet (pixels).
constexpr int kFrameGuess = 8;

int toPixels(double twips, double twipsPerPixel) {
    return static_cast<int>(std::lround(twips / twipsPerPixel));
}

}  // namespace

Form1::Form1(const Services& services, QWidget* parent)
    : QMainWindow(parent)
    , m_area(new QWidget(this))
    , m_scroll(new QScrollArea(m_area))
    , m_P3(
          new Surface(QApplication::palette().color(QPalette::Active, QPalette::Highlight), m_area))
    , m_workspace(services, new Surface(kLightGrey, m_area),
                  new SizeLabel(twipScaleOf(services.metrics), QColor(255, 255, 0), nullptr)) {
    initKiramoResources();
    connect(&m_workspace, &Workspace::canvasCommitted, this, &Form1::fitWindowToCanvas);
    connect(&m_workspace, &Workspace::captionChanged, this, &QWidget::setWindowTitle);
    connect(&m_workspace, &Workspace::imageCommandsEnabled, this, &Form1::enableImageItems);
    setWindowIcon(QIcon(QStringLiteral(":/kiramo.xpm")));
    setAttribute(Qt::WA_DeleteOnClose, false);

    QPalette palette = m_area->palette();
    palette.setColor(QPalette::Window, kLightGrey);
    m_area->setPalette(palette);
    m_area->setAutoFillBackground(true);
    m_area->installEventFilter(this);
    setCentralWidget(m_area);

    // The canvas sits in a scroll area without a frame: where the window fits around it, the
    // scroll area is exactly the canvas and shows no bars.
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setPalette(palette);
    m_scroll->viewport()->setPalette(palette);
    m_scroll->viewport()->setAutoFillBackground(true);
    m_scroll->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Surface* P1 = m_workspace.P1;
    P1->setObjectName(QStringLiteral("P1"));
    m_scroll->setWidget(P1);
    P1->move(0, 0);
    P1->setCursor(Qt::CrossCursor);
    // Focus for the keys that move and size the selection; keys it leaves scroll the canvas.
    P1->setFocusPolicy(Qt::StrongFocus);
    m_scroll->setFocusProxy(P1);
    P1->setAccessibleName(QCoreApplication::translate("Form1", "キャンバス"));
    P1->setAccessibleDescription(QCoreApplication::translate(
        "Form1",
        "作業中の絵です。ドラッグで範囲を選び、矢印キーで 1 ピクセル (Shift で 10) 動かし、"
        "Ctrl+矢印キーで大きさを変えます。Esc で選択をやめます。右クリックで色を拾います。"));
    m_workspace.L1->setParent(P1);
    clearCanvas();

    m_P3->setObjectName(QStringLiteral("P3"));
    m_P3->hide();
    m_P3->installEventFilter(this);  // tool tips of the swatches

    SelectionController::Rules rules;
    rules.unitsPerPixel = m_workspace.scale();
    rules.pressRemoves = true;
    rules.rightPressPicks = true;
    rules.dropOnlyOnHost = true;
    rules.caption = [this](QSizeF twips, int mode) {
        const TwipScale scale = m_workspace.scale();
        return selectionCaption(twips, scale, mode, m_workspace.state.modes.ModeName(mode)) +
               orientationSuffix(
                   QSizeF(scale.toPixelsX(twips.width()), scale.toPixelsY(twips.height())), mode);
    };
    rules.pictureSize = [this] { return m_workspace.P1->imageSize(); };
    auto* selection = new SelectionController(P1, m_workspace.L1, m_workspace.state.modes,
                                              m_workspace.state.ModeIndex, std::move(rules));
    connect(selection, &SelectionController::rightPressed, this,
            [this](QPoint pixel) { PushColorSwatch(m_workspace.P1->colourOf(pixel)); });
    connect(selection, &SelectionController::giveUpKeyPressed, &m_workspace,
            &Workspace::hideSelection);
    connect(selection, &SelectionController::labelRightPressed, this, [this](QPoint pixel) {
        // As when a capture is abandoned, the window comes back in its normal state; the label
        // is see-through, so the colour under it is picked as on the bare canvas.
        setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
        show();
        PushColorSwatch(m_workspace.P1->colourOf(pixel));
    });

    // P2 starts as a copy of the blank canvas, so a Grid Clear before anything was committed
    // gives back the blank canvas that the grid was drawn on.
    m_workspace.P2 = P1->image().copy();

    // The menu bar stays inside the window on every desktop: the frame arithmetic counts it.
    menuBar()->setNativeMenuBar(false);
    m_menus.build(menuBar());
    connectCommands();
    connect(&m_workspace, &Workspace::historyChanged, this,
            [this] { showHistoryItems(m_menus, m_workspace); });
    m_view = new CanvasView(m_workspace, *m_scroll, m_menus,
                            CanvasView::Window{.room =
                                                   [this] {
        const AppState& s = m_workspace.state;
        const int strip = m_P3->isHidden() ? 0 : stripHeight();
        return screenRoom() - QSize(s.FrameExtraWidth, s.FrameExtraHeight + strip);
                                               },
                                               .fitAround = [this] { fitWindowToCanvas(); }});
    setAcceptDrops(true);
    // However the program ends (the session closing, say), the temporary bitmap goes.
    connect(qApp, &QCoreApplication::aboutToQuit, this,
            [this] { removeTemporaryBitmap(m_workspace.services.folders.temporaryBitmap()); });

    measureFrame();
    m_hint = new FirstStepHint(m_menus, m_area);
    m_hint->setPalette(palette);
    fitWindowToCanvas();  // the empty window holds the hint
}

Form1::~Form1() = default;

void Form1::clearCanvas() {
    // The canvas's image is in device pixels.
    const ScreenMetrics& m = m_workspace.services.metrics;
    m_workspace.P1->clear(
        QSize(toPixels(kCanvasWidth, m.twipsPerPixelX), toPixels(kCanvasHeight, m.twipsPerPixelY)));
    m_blankCanvas = m_workspace.P1->image();
}

void Form1::measureFrame() {
    // What surrounds the canvas area inside the window: the menu bar, at the height that the
    // main window's layout gives it with the platform's font. The layout places the menu bar
    // and the central widget edge to edge, without margins. A hidden window is not laid out
    // yet, so the menu bar's height is asked the way the layout asks it. Window geometry is in
    // logical pixels.
    AppState& state = m_workspace.state;
    const int designWidth = static_cast<int>(std::lround(
        m_workspace.services.metrics.toLogicalX(kDesignInnerWidth, devicePixelRatioF())));
    ensurePolished();
    QMenuBar* bar = menuBar();
    const int menuBarWidth = bar->sizeHint().width();
    state.FrameExtraWidth = 0;
    const int width = startupWindowWidth(designWidth, state.FrameExtraWidth, menuBarWidth);
    int menuBarHeight = bar->heightForWidth(std::max(width, bar->minimumWidth()));
    if (menuBarHeight < 0) {
        menuBarHeight = bar->sizeHint().height();
    }
    menuBarHeight =
        std::clamp(menuBarHeight, bar->minimumSizeHint().height(), bar->maximumHeight());
    state.FrameExtraHeight = menuBarHeight;
    state.MinFormWidth = width;
    setMinimumWidth(width);
    resize(width, state.FrameExtraHeight);
}

void Form1::addModeItems() {
    const ModeTable& modes = m_workspace.state.modes;
    for (int i = 1; i <= ModeTable::kLast; ++i) {
        if (!modes.has(i)) {
            continue;
        }
        QAction* action = m_menus.addModeItem(i, modes.mode(i)->menuCaption);
        // Listed as the settings file has it, but every drag would show nothing.
        if (const QString note = unusableModeNote(*modes.mode(i)); !note.isEmpty()) {
            action->setToolTip(note);
        }
        connectModeItem(i);
    }
}

void Form1::connectModeItem(int index) {
    connect(m_menus.MCanvas[index], &QAction::triggered, this,
            [this, index] { selectMode(index); });
}

void Form1::selectMode(int index) {
    if (!m_workspace.state.modes.has(index)) {
        return;
    }
    m_workspace.state.ModeIndex = index;
    m_workspace.hideSelection();
    m_workspace.refreshCaption();
}

void Form1::setLandscape(bool landscape) {
    m_workspace.state.modes.setLandscape(landscape);
    m_menus.MLandscape->setChecked(landscape);
    m_workspace.hideSelection();
}

Form2* Form1::captureWindow() const {
    return m_capture ? m_capture->window() : nullptr;
}

QSize Form1::innerSize() const {
    return m_area->size();
}

bool Form1::canvasIsEmpty() const {
    return m_workspace.P1->image() == m_blankCanvas;
}

int Form1::stripHeight() const {
    return static_cast<int>(std::lround(
        m_workspace.services.metrics.toLogicalY(kStripHeight, m_P3->devicePixelRatioF())));
}

void Form1::fitWindowToCanvas() {
    const AppState& state = m_workspace.state;
    const QSize before = this->size();  // a new minimum may resize the window at once
    const int strip = m_P3->isHidden() ? 0 : stripHeight();
    // An empty window is as large as the hint of the first step, whatever the blank canvas's
    // size, and no smaller; afterwards the start-up width is the only limit.
    const bool empty = canvasIsEmpty();
    m_hint->setVisible(empty);
    const QSize needed =
        empty ? emptyWindowSize(m_hint->sizeHint(), state.FrameExtraWidth, state.FrameExtraHeight,
                                state.MinFormWidth, strip)
              : committedWindowSize(m_workspace.P1->size(), state.FrameExtraWidth,
                                    state.FrameExtraHeight, state.MinFormWidth, strip);
    setMinimumSize(empty ? needed : QSize(state.MinFormWidth, 0));
    const QSize limit = screenRoom();
    const QSize size = fitToScreen(needed, limit, style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    // Only a window that grows is moved: one that the user put partly off the screen stays
    // there through a Grid Clear.
    const bool grows = size.width() > before.width() || size.height() > before.height();
    setBaseSize(stepBaseSize(size, devicePixelRatioF()));
    publishBaseSize();
    resize(size);
    layout()->activate();
    layOutStrip();
    if (grows) {
        m_grewReturning = m_returning;
        keepOnScreen(size);
    }
}

void Form1::keepOnScreen(QSize size) {
    const QScreen* shownOn = screen();
    if (shownOn == nullptr || !isVisible() ||
        (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))) {
        return;  // placed by the window manager when shown
    }
    // The frame's own size is what the window manager adds; the window may not have taken its
    // new size yet. Just shown again, it has no frame yet: room for a usual one then (the
    // window is looked at again once the frame is there).
    QSize margins = frameGeometry().size() - geometry().size();
    if (margins.isNull()) {
        margins = QSize(2 * kFrameGuess,
                        2 * kFrameGuess + style()->pixelMetric(QStyle::PM_TitleBarHeight));
    }
    const QRect frame(pos(), size + margins);
    const QPoint place = placeOnScreen(frame, shownOn->availableGeometry());
    if (place == pos()) {
        return;
    }
    move(place);
    if (m_returning) {
        m_placeBeforeCapture = place;  // back from a capture: this is where it belongs now
    }
}

QSize Form1::screenRoom() const {
    const QScreen* shownOn = screen();
    if (shownOn == nullptr) {
        return QSize();
    }
    QSize frame = frameGeometry().size() - size();
    if (frame.isNull() && !isVisible()) {
        // Not framed yet (a picture from the command line): room for a usual frame.
        frame =
            QSize(2 * kFrameGuess, kFrameGuess + style()->pixelMetric(QStyle::PM_TitleBarHeight));
    }
    return shownOn->availableGeometry().size() - frame;
}

void Form1::enableImageItems() {
    m_menus.enableImageCommands();
}

void Form1::layOutStrip() {
    // The strip's image never shrinks, so swatches cut off by a narrower window come back
    // when it widens again. The widget is measured in logical pixels, its image in device
    // pixels: as many as the widget covers, a part of one included.
    const int height = stripHeight();
    const double ratio = m_P3->devicePixelRatioF();
    m_P3->resizeImage(QSize(
        std::max(m_P3->imageSize().width(), static_cast<int>(std::ceil(m_area->width() * ratio))),
        static_cast<int>(std::ceil(height * ratio))));
    m_P3->setGeometry(0, m_area->height() - height, m_area->width(), height);
    m_scroll->setGeometry(0, 0, m_area->width(),
                          m_area->height() - (m_P3->isHidden() ? 0 : height));
    if (m_hint != nullptr) {
        m_hint->setGeometry(m_scroll->geometry());
        m_hint->raise();
    }
    // At a fractional scale a window size is rounded to device pixels, and a window manager may
    // round it down again to its resize steps: a canvas that falls short of fitting by that
    // rounding alone shows without scroll bars rather than with bars over a fifth of it.
    const QSize canvas = m_workspace.P1->size();
    const QSize view = m_scroll->size();
    const int slack = ratio == std::floor(ratio) ? 0 : 1;
    // The empty canvas lies under the hint of the first step: nothing on it to scroll to.
    const bool fits = canvasIsEmpty() || (canvas.width() <= view.width() + slack &&
                                          canvas.height() <= view.height() + slack);
    const Qt::ScrollBarPolicy policy = fits ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded;
    m_scroll->setHorizontalScrollBarPolicy(policy);
    m_scroll->setVerticalScrollBarPolicy(policy);
}

void Form1::toggleColorTable() {
    m_P3->setVisible(m_P3->isHidden());
    m_workspace.CommitCanvas();
}

void Form1::PushColorSwatch(QRgb colour) {
    if (m_P3->isHidden()) {
        return;
    }
    const TwipScale scale = m_workspace.scale();
    const int n = lastSwatchIndex(scale.toTwipsX(width() * devicePixelRatioF()), kStripHeight);
    QImage strip = m_P3->image();
    pushSwatch(strip, colour, n, kStripHeight, scale, m_P3->background().rgb());
    m_P3->setImage(strip);
    m_recordedSwatches = std::min(m_recordedSwatches + 1, 1 << 20);
    layOutStrip();
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_area && event->type() == QEvent::Resize) {
        layOutStrip();
    }
    if (watched == m_P3 && event->type() == QEvent::ToolTip) {
        showSwatchToolTip(*static_cast<QHelpEvent*>(event));
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void Form1::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (const std::optional<int> width = widthAfterResize(windowState(), event->size().width(),
                                                          m_workspace.state.MinFormWidth)) {
        resize(*width, event->size().height());
    }
}

void Form1::publishBaseSize() {
    // The widget keeps its base size to itself: the window publishes it.
    if (QWindow* window = windowHandle()) {
        window->setBaseSize(baseSize());
    }
}

void Form1::showEvent(QShowEvent* event) {
    publishBaseSize();  // the window is made by now, not yet on the screen
    QMainWindow::showEvent(event);
}

void Form1::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    returnToPlace();
}

void Form1::returnToPlace() {
    // A pixel off is the rounding of a fractional scale, not a new place.
    if (m_returning && (pos() - m_placeBeforeCapture).manhattanLength() > 1) {
        move(m_placeBeforeCapture);
    }
}

void Form1::closeEvent(QCloseEvent* event) {
    shutDown();
    event->accept();
    QCoreApplication::quit();
}

void Form1::shutDown() {
    m_closing = true;
    removeTemporaryBitmap(m_workspace.services.folders.temporaryBitmap());
    // Nothing is asked: unsaved work is kept for "Restore Last Picture" in the next run.
    hide();
    m_lastPicture.keepAtExit();
    if (m_capture) {
        m_capture->abandon();
    }
}

void Form1::startCapture() {
    if (m_capture) {
        return;
    }
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);  // the capture restores it
    m_capture = new Capture(m_workspace.services.screen, m_workspace.state.modes,
                            m_workspace.state.ModeIndex);
    connect(m_capture, &Capture::frozen, this,
            [this] { setWindowState(windowState() | Qt::WindowMinimized); });
    connect(m_capture, &Capture::transferred, this, &Form1::captureTransferred);
    connect(m_capture, &Capture::abandoned, this, [this] {
        if (m_endIfAbandoned) {
            close();
            return;
        }
        captureEnded();
    });
    connect(m_capture, &Capture::failed, this, &Form1::captureFailed);
    connect(m_capture, &Capture::denied, this, &Form1::captureDenied);
    m_capture->setInteractive(std::exchange(m_interactiveCapture, false));
    // The main window must have left the screen before the screen is read: hide it and let the
    // window system carry that out. It comes back where it was.
    m_placeBeforeCapture = pos();
    m_hadPlace = isVisible();
    m_capture->noteWindowOnScreen(this);
    hide();
    QGuiApplication::sync();
    m_capture->start();
}

void Form1::startCaptureAlone() {
    m_endIfAbandoned = true;
    startCapture();
}

void Form1::captureTransferred(const QImage& picture, QSizeF bandSize) {
    m_endIfAbandoned = false;
    captureEnded();
    m_workspace.replacePicture(picture,
                               QStringLiteral("Untitled (") + writeSingle(bandSize.width()) + u'x' +
                                   writeSingle(bandSize.height()) + u')',
                               "&Capture", QString());
}

void Form1::captureFailed(const QString& reason) {
    // A start for the capture alone ends after the message, without showing the window.
    const bool alone = m_endIfAbandoned;
    if (!alone) {
        captureEnded();
    }
    if (m_closing) {
        return;
    }
    m_workspace.prompts().beep();
    m_workspace.prompts().showMessage(
        QCoreApplication::translate("Form1", "画面を取り込めません。\n%1").arg(reason));
    if (alone) {
        close();
    }
}

void Form1::captureDenied(const QString& reason) {
    captureEnded();
    if (m_closing) {
        return;
    }
    m_workspace.prompts().beep();
    const bool desktopDialog = m_workspace.prompts().showMessageWithChoice(
        QCoreApplication::translate("Form1", "画面を取り込めません。\n%1").arg(reason),
        QCoreApplication::translate("Form1", "デスクトップの画面取り込みを使う"));
    if (desktopDialog && !m_closing) {
        m_interactiveCapture = true;
        startCapture();
    }
}

void Form1::captureEnded() {
    m_capture.clear();  // over, though not yet deleted: the next Capture may start
    if (m_closing) {
        return;
    }
    // Shown again after a hide, a window that the window manager had placed is placed anew, or
    // its frame is put around where the inside was: for a moment after coming back, a move is
    // taken back, and the place is looked at again once the frame is there.
    m_returning = m_hadPlace;
    setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    show();
    activateWindow();
    for (const int ms : {50, 200, 500}) {
        QTimer::singleShot(ms, this, [this] {
            returnToPlace();
            if (m_grewReturning) {
                keepOnScreen(size());
            }
        });
    }
    m_grewReturning = false;
    QTimer::singleShot(kReturnMilliseconds, this, [this] {
        m_returning = false;
        m_grewReturning = false;
    });
}

}  // namespace kiramo
