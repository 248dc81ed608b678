#include "capture/Form2.h"

#include "canvas/SelectionController.h"
#include "canvas/SizeLabel.h"
#include "canvas/Surface.h"
#include "core/ImageBlock.h"
#include "core/ModeTable.h"
#include "core/NumberText.h"
#include "core/Orientation.h"
#include "core/RubberBand.h"

#include <QBackingStore>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>

namespace kiramo {

namespace {

// The capture window's rules: its units are the frozen screen's pixels; while the band exists
// presses do nothing, the right button anchors like any other, and a drop lands anywhere.
SelectionController::Rules captureRules(const ModeTable& modes, const Form2* form) {
    auto caption = [&modes](QSizeF pixels, int mode) {
        return captureCaption(pixels, mode, modes.ModeName(mode)) + orientationSuffix(pixels, mode);
    };
    return SelectionController::Rules{
        .unitsPerPixel = TwipScale{1.0, 1.0},
        .pressRemoves = false,
        .rightPressPicks = false,
        .dropOnlyOnHost = false,
        .caption = caption,
        .pictureSize = [form] { return form->frozenImage().size(); },
    };
}

}  // namespace

Form2::Form2(const QString& screenName, QRect place, const ModeTable& modes, const int& modeIndex)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , m_modes(modes)
    , m_modeIndex(modeIndex)
    , L1(new SizeLabel(TwipScale{1.0, 1.0}, palette().color(QPalette::WindowText), this))
    , m_band(new SelectionController(this, L1, modes, modeIndex, captureRules(modes, this)))
    , m_screenName(screenName)
    , m_place(place) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("KIRAMO"));
    setAttribute(Qt::WA_DeleteOnClose);
    L1->setHalo(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::CrossCursor);
    connect(m_band, &SelectionController::labelRightPressed, this, &Form2::abandon);
    connect(L1, &SizeLabel::doubleClicked, this, &Form2::TransferCapture);
    connect(m_band, &SelectionController::takeKeyPressed, this, &Form2::TransferCapture);
    connect(m_band, &SelectionController::giveUpKeyPressed, this, &Form2::abandon);
    setAccessibleName(QCoreApplication::translate("Form2", "画面の取り込み"));
    setAccessibleDescription(QCoreApplication::translate(
        "Form2",
        "止めた画面です。ドラッグで範囲を描き、矢印キーで 1 ピクセル (Shift で 10) 動かし、"
        "Ctrl+矢印キーで大きさを変えます。Enter かダブルクリックで取り込み、Esc "
        "か右クリックでやめます。"));
}

Form2::~Form2() = default;

void Form2::prepare() {
    if (m_prepared) {
        return;
    }
    m_prepared = true;
    // Full screen on its own monitor: the window system is told the monitor before the window
    // is made (a Wayland compositor places it there; elsewhere the geometry does).
    QScreen* monitor = nullptr;
    for (QScreen* s : QGuiApplication::screens()) {
        if (s->name() == m_screenName && s->geometry() == m_place) {
            monitor = s;
        }
    }
    if (monitor == nullptr) {
        monitor = QGuiApplication::screenAt(m_place.center());
    }
    if (monitor != nullptr) {
        setScreen(monitor);
    }
    setGeometry(m_place);
    create();
    // The memory behind the window is new: written once now, its pages are there when the
    // frozen screen is painted (at 3840x2160 that is most of the first paint's time). This is
    // the backing store's own paint cycle, before the widget's first; that one paints it whole
    // again when the window shows.
    if (QBackingStore* store = backingStore()) {
        store->resize(size());
        const QRegion all(rect());
        store->beginPaint(all);
        {
            QPainter painter(store->paintDevice());
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            painter.fillRect(rect(), Qt::black);
        }
        store->endPaint();
    }
}

void Form2::load(const QImage& frozen) {
    prepare();
    m_frozen = frozen.convertToFormat(QImage::Format_RGB32);
    showFullScreen();
    activateWindow();
}

void Form2::paintEvent(QPaintEvent* event) {
    paintImageOneToOne(*this, event->rect(), m_frozen, Qt::black);
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
    const LabelRect r = L1->rect();
    if (r.width <= 1.0 || r.height <= 1.0) {
        // A band that was anchored but never stretched (a stray double-click): nothing to take.
        // The user can still stretch it, move it or abandon.
        return;
    }
    // The block starts one pixel right of and below the band's corner.
    const int x = static_cast<int>(roundHalfEven(r.left + 1.0));
    const int y = static_cast<int>(roundHalfEven(r.top + 1.0));
    const int w = static_cast<int>(roundHalfEven(r.width));
    const int h = static_cast<int>(roundHalfEven(r.height));
    const QImage block = copyImageBlock(m_frozen, x, y, w, h);
    end();
    emit transferred(block, QSizeF(r.width, r.height));
}

void Form2::abandon() {
    if (m_done) {
        return;
    }
    end();
    emit abandoned();
}

void Form2::end() {
    m_done = true;
    m_band->endDrag();
    m_frozen = QImage();
    close();
}

void Form2::closeEvent(QCloseEvent* event) {
    // Closed by the window manager or the system: as abandoned.
    if (!m_done) {
        m_done = true;
        m_band->endDrag();
        emit abandoned();
    }
    QWidget::closeEvent(event);
}

}  // namespace kiramo
