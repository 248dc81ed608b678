#include "capture/Form2.h"

#include "app/Form1.h"
#include "app/NumberText.h"
#include "canvas/ImageBlock.h"
#include "canvas/RubberBand.h"
#include "canvas/SizeLabel.h"
#include "canvas/Surface.h"
#include "platform/ScreenGrabber.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>

namespace kiramo {

Form2::Form2(Form1& owner)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , m_owner(owner)
    , L1(new SizeLabel(1.0, 1.0, palette().color(QPalette::WindowText), this))
    , m_dragger(this, L1) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("KIRAMO"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::WaitCursor);
    connect(L1, &SizeLabel::pressed, this, &Form2::onBandPressed);
    connect(L1, &SizeLabel::doubleClicked, this, &Form2::TransferCapture);
}

Form2::~Form2() = default;

void Form2::load() {
    GrabScreen();
}

void Form2::GrabScreen() {
    // The main window must have left the screen before the screen is read: hide it, let the
    // window system carry that out, then give the windows below a moment to repaint.
    m_owner.hide();
    QGuiApplication::sync();
    QTimer::singleShot(kSettleMilliseconds, this, [this] {
        QScreen* screen = QGuiApplication::primaryScreen();
        if (screen != nullptr) {
            setGeometry(screen->geometry());
        }
        m_frozen = m_owner.services.screen.grabScreen().convertToFormat(QImage::Format_RGB32);
        showFullScreen();
        activateWindow();
        QGuiApplication::restoreOverrideCursor();
        m_loaded = true;
        setCursor(Qt::CrossCursor);
        m_owner.setWindowState(m_owner.windowState() | Qt::WindowMinimized);
    });
}

QPointF Form2::toPixels(QPointF logical) const {
    return devicePixelAt(logical, devicePixelRatioF());
}

void Form2::paintEvent(QPaintEvent* event) {
    paintImageOneToOne(*this, event->rect(), m_frozen, Qt::black);
}

void Form2::mousePressEvent(QMouseEvent* event) {
    // A press anchors the band once; while a band exists, presses here do nothing.
    if (L1->isHidden() && !m_dragger.isActive()) {
        const QPointF p = toPixels(event->position());
        DragStartX = p.x();
        DragStartY = p.y();
        L1->setRect(LabelRect{DragStartX, DragStartY, 1.0, 1.0});
        L1->show();
    }
}

void Form2::mouseMoveEvent(QMouseEvent* event) {
    if (m_dragger.isActive()) {
        m_dragger.moveTo(event->position());
        return;
    }
    if (event->buttons() != Qt::LeftButton || L1->isHidden()) {
        return;
    }
    const int mode = m_owner.state.ModeIndex;
    const ModeTable& modes = m_owner.state.modes;
    if (const std::optional<QSizeF> size =
            stretchLabel(*L1, QPointF(DragStartX, DragStartY), toPixels(event->position()),
                         event->modifiers(), modes, mode)) {
        L1->setText(captureCaption(*size, mode, modes.ModeName(mode)));
    }
}

void Form2::mouseReleaseEvent(QMouseEvent* event) {
    if (!m_dragger.isActive()) {
        return;
    }
    // The drop: the point of the label that was grabbed lands under the pointer.
    m_dragger.finish();
    const QPointF p = toPixels(event->position());
    L1->moveTopLeft(p.x() - m_labelGrab.x(), p.y() - m_labelGrab.y());
    L1->show();
}

void Form2::onBandPressed(Qt::MouseButton button, QPointF inLabel) {
    if (button == Qt::RightButton) {
        abandon();
        return;
    }
    m_labelGrab = inLabel;
    m_dragger.begin(inLabel / devicePixelRatioF());
}

void Form2::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        abandon();
        return;
    }
    QWidget::keyPressEvent(event);
}

void Form2::TransferCapture() {
    if (m_done) {
        return;
    }
    m_done = true;
    m_dragger.finish();
    const LabelRect r = L1->rect();
    // The block starts one pixel right of and below the band's corner.
    const int x = static_cast<int>(roundHalfEven(r.left + 1.0));
    const int y = static_cast<int>(roundHalfEven(r.top + 1.0));
    const int w = static_cast<int>(roundHalfEven(r.width));
    const int h = static_cast<int>(roundHalfEven(r.height));
    m_owner.P1->setImage(copyImageBlock(m_frozen, x, y, w, h));
    m_owner.setCaption(QStringLiteral("Untitled (") + writeNumber(r.width) + u'x' +
                       writeNumber(r.height) + u')');
    m_owner.state.CurrentFile.clear();
    m_frozen = QImage();
    close();
    // The normal state, as after an abandon: not minimised, and not maximised either, which
    // some window managers keep through the minimising.
    m_owner.setWindowState(m_owner.windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    m_owner.CommitCanvas();
    m_owner.EnableImageCommands();
    m_owner.show();
    m_owner.activateWindow();
}

void Form2::abandon() {
    if (m_done) {
        return;
    }
    m_done = true;
    m_dragger.finish();
    close();
    restoreOwner();
}

void Form2::restoreOwner() {
    if (m_owner.isClosing()) {
        return;
    }
    m_owner.setWindowState(m_owner.windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    m_owner.show();
    m_owner.activateWindow();
}

void Form2::closeEvent(QCloseEvent* event) {
    // Closed by the window manager or the system: the main window comes back, unchanged.
    if (!m_done) {
        m_done = true;
        m_dragger.finish();
        restoreOwner();
    }
    if (!m_loaded) {
        QGuiApplication::restoreOverrideCursor();  // closed before the screen was frozen
        m_loaded = true;
    }
    QWidget::closeEvent(event);
}

}  // namespace kiramo
