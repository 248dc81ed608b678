#include "app/Form1.h"

#include "app/Caption.h"
#include "app/WindowRules.h"
#include "canvas/CanvasSelection.h"
#include "canvas/SizeLabel.h"
#include "canvas/Surface.h"
#include "overlay/ColorSwatches.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QResizeEvent>
#include <QTimer>

#include <cmath>

// The icon lives in a resource of this static library: it must be registered by hand.
static void initKiramoResources() {
    Q_INIT_RESOURCE(kiramo);
}

namespace kiramo {

namespace {

const QColor kLightGrey(192, 192, 192);

int toPixels(double twips, double twipsPerPixel) {
    return static_cast<int>(std::lround(twips / twipsPerPixel));
}

}  // namespace

Form1::Form1(const Services& services_, QWidget* parent)
    : QMainWindow(parent)
    , services(services_)
    , P1(new Surface(kLightGrey, nullptr))
    , P3(new Surface(QApplication::palette().color(QPalette::Active, QPalette::Highlight), nullptr))
    , L1(new SizeLabel(services_.metrics.twipsPerPixelX, services_.metrics.twipsPerPixelY,
                       QColor(255, 255, 0), P1))
    , m_area(new QWidget(this)) {
    initKiramoResources();
    setWindowIcon(QIcon(QStringLiteral(":/kiramo.xpm")));
    setAttribute(Qt::WA_DeleteOnClose, false);

    QPalette palette = m_area->palette();
    palette.setColor(QPalette::Window, kLightGrey);
    m_area->setPalette(palette);
    m_area->setAutoFillBackground(true);
    m_area->installEventFilter(this);
    setCentralWidget(m_area);

    P1->setParent(m_area);
    P1->setObjectName(QStringLiteral("P1"));
    P1->move(0, 0);
    P1->setCursor(Qt::CrossCursor);
    clearCanvas();

    P3->setParent(m_area);
    P3->setObjectName(QStringLiteral("P3"));
    P3->hide();

    m_selection =
        new CanvasSelection(P1, L1, state.modes, state.ModeIndex, services.metrics,
                            CanvasSelection::Hooks{[this](QRgb colour) { PushColorSwatch(colour); },
                                                   [this] {
        // As when a capture is abandoned: the window comes back in
        // its normal state.
        setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
        show();
                                                   }});

    // P2 starts as a copy of the blank canvas, so a Grid Clear before anything was committed
    // gives back the blank canvas that the grid was drawn on.
    P2 = P1->image().copy();

    // The menu bar stays inside the window on every desktop: the frame arithmetic counts it.
    menuBar()->setNativeMenuBar(false);
    menus.build(menuBar());
    connect(menus.MFile, &QMenu::aboutToShow, this,
            [this] { Form1Menus::setCommandEnabled(menus.MBmpEdS, hasSelection()); });
    connect(menus.MExit, &QAction::triggered, this, &QWidget::close);
    connect(menus.MCanvas[0], &QAction::triggered, this, [this] { selectMode(0); });

    connectCommands();
    // However the program ends (the session closing, say), the temporary bitmap goes.
    connect(qApp, &QCoreApplication::aboutToQuit, this,
            [this] { removeTemporaryBitmap(services.folders.temporaryBitmap()); });

    measureFrame();
}

Form1::~Form1() = default;

void Form1::clearCanvas() {
    // The canvas's image is in device pixels.
    P1->clear(QSize(toPixels(kCanvasWidth, services.metrics.twipsPerPixelX),
                    toPixels(kCanvasHeight, services.metrics.twipsPerPixelY)));
}

void Form1::measureFrame() {
    // What surrounds the canvas area inside the window: the menu bar, at the height that the
    // main window's layout gives it with the platform's font. The layout places the menu bar
    // and the central widget edge to edge, without margins. A hidden window is not laid out
    // yet, so the menu bar's height is asked the way the layout asks it. Window geometry is in
    // logical pixels.
    const int designWidth = static_cast<int>(
        std::lround(services.metrics.toLogicalX(kDesignInnerWidth, devicePixelRatioF())));
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
    for (int i = 1; i <= ModeTable::kLast; ++i) {
        if (!state.modes.has(i)) {
            continue;
        }
        QAction* action = menus.addModeItem(i, state.modes.mode(i)->menuCaption);
        connect(action, &QAction::triggered, this, [this, i] { selectMode(i); });
    }
}

void Form1::setCaption(const QString& subject) {
    setWindowTitle(captionText(subject, state.currentModeName()));
}

void Form1::selectMode(int index) {
    if (!state.modes.has(index)) {
        return;
    }
    state.ModeIndex = index;
    L1->hide();
    setWindowTitle(captionForMode(windowTitle(), state.currentModeName()));
}

bool Form1::hasSelection() const {
    return !L1->isHidden();
}

QSize Form1::innerSize() const {
    return m_area->size();
}

int Form1::stripHeight() const {
    return static_cast<int>(
        std::lround(services.metrics.toLogicalY(kStripHeight, P3->devicePixelRatioF())));
}

void Form1::CommitCanvas() {
    // P2 shares the canvas's pixels (QImage is copied on write), so a new picture shows without
    // waiting for a copy. The canvas takes a copy of its own once the event loop is idle, so
    // that the first grid drawn on it does not have to copy the whole image first. Either way
    // P2 keeps what was committed.
    P2 = P1->image();
    fitWindowToCanvas();
    QTimer::singleShot(0, this, [this] {
        if (P2.cacheKey() == P1->image().cacheKey()) {
            P1->detachImage();
        }
    });
}

void Form1::fitWindowToCanvas() {
    const int strip = P3->isHidden() ? 0 : stripHeight();
    const QSize size = committedWindowSize(P1->size(), state.FrameExtraWidth,
                                           state.FrameExtraHeight, state.MinFormWidth, strip);
    resize(size);
    layout()->activate();
    layOutStrip();
}

void Form1::EnableImageCommands() {
    for (QAction* action : {menus.MSave, menus.MBmpEd, menus.MORBELLO, menus.MCopy}) {
        Form1Menus::setCommandEnabled(action, true);
    }
}

void Form1::layOutStrip() {
    // The strip's image never shrinks, so swatches cut off by a narrower window come back
    // when it widens again. The widget is measured in logical pixels, its image in device
    // pixels: as many as the widget covers, a part of one included.
    const int height = stripHeight();
    const double ratio = P3->devicePixelRatioF();
    P3->resizeImage(QSize(
        std::max(P3->imageSize().width(), static_cast<int>(std::ceil(m_area->width() * ratio))),
        static_cast<int>(std::ceil(height * ratio))));
    P3->setGeometry(0, m_area->height() - height, m_area->width(), height);
}

void Form1::toggleColorTable() {
    P3->setVisible(P3->isHidden());
    CommitCanvas();
}

void Form1::PushColorSwatch(QRgb colour) {
    if (P3->isHidden()) {
        return;
    }
    const ScreenMetrics& m = services.metrics;
    const int n = lastSwatchIndex(m.toTwipsX(width() * devicePixelRatioF()), kStripHeight);
    QImage strip = P3->image();
    pushSwatch(strip, colour, n, kStripHeight, m.twipsPerPixelX, m.twipsPerPixelY,
               P3->background().rgb());
    P3->setImage(strip);
    layOutStrip();
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_area && event->type() == QEvent::Resize) {
        layOutStrip();
    }
    return QMainWindow::eventFilter(watched, event);
}

void Form1::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (const std::optional<int> width =
            widthAfterResize(windowState(), event->size().width(), state.MinFormWidth)) {
        resize(*width, event->size().height());
    }
}

void Form1::closeEvent(QCloseEvent* event) {
    shutDown();
    event->accept();
    QCoreApplication::quit();
}

void Form1::shutDown() {
    m_closing = true;
    removeTemporaryBitmap(services.folders.temporaryBitmap());
    if (Form2) {
        Form2->close();
    }
}

}  // namespace kiramo
