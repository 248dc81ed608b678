#include "capture/Capture.h"

#include "capture/Form2.h"
#include "capture/WaitWindow.h"

#include "platform/ClosingAnimation.h"
#include "platform/Logging.h"
#include "platform/WaylandRoundTrip.h"
#include "platform/WindowWithdrawal.h"

#include <algorithm>

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace kiramo {

namespace {

// A quiet grab has succeeded in this process (see kWaitNoticeAfterGrantMilliseconds).
bool s_grantSeen = false;

}  // namespace

Capture::Capture(ScreenGrabber& grabber, const ModeTable& modes, const int& modeIndex)
    : m_grabber(grabber)
    , m_modes(modes)
    , m_modeIndex(modeIndex) {
    connect(&m_grabber, &ScreenGrabber::grabbed, this, &Capture::onGrabbed);
    connect(&m_grabber, &ScreenGrabber::refused, this, [this] {
        if (m_grabbing) {
            finish();
            emit abandoned();
        }
    });
    connect(&m_grabber, &ScreenGrabber::failed, this, [this](const QString& reason) {
        if (m_grabbing) {
            finish();
            emit failed(reason);
        }
    });
    connect(&m_grabber, &ScreenGrabber::denied, this, [this](const QString& reason) {
        if (m_grabbing) {
            finish();
            emit denied(reason);
        }
    });
}

Capture::~Capture() {
    if (m_grabbing) {
        m_grabber.cancel();
    }
    if (!m_shown) {
        // Made for a grab that never came.
        for (const QPointer<Form2>& window : std::as_const(m_windows)) {
            delete window.data();
        }
    }
    restoreCursor();
    if (m_wait) {
        m_wait->dismiss();
    }
    dismissLeaving();
}

void Capture::start() {
    // The caller's windows have left the screen; the windows below get a moment to repaint
    // what they covered before the screen is read (a compositor draws a frame without them).
    m_grabbing = true;
    m_grabber.setInteractive(m_interactive);
    startGrab();
    // Meanwhile the grabber, and the windows that will show the frozen screen, get ready.
    m_grabber.prepare();
    for (QScreen* screen : screensPrimaryFirst()) {
        addWindow(screen->name(), screen->geometry())->prepare();
    }
    QTimer::singleShot(s_grantSeen ? kWaitNoticeAfterGrantMilliseconds : kWaitNoticeMilliseconds,
                       this, &Capture::showWaiting);
}

void Capture::startGrab() {
    // Under Wayland the round trip makes sure the compositor has carried the hide out (the
    // toolkit's sync does not wait there); under X11 (and XWayland) the window manager does that
    // later, and says so on each window. A desktop that animates windows leaving the screen is
    // waited for next; the settle time then lets the compositor draw without them. (A Wayland
    // compositor gives no frame callback to a program with no surface on the screen, and a
    // surface of ours kept for one would be in the picture.)
    QGuiApplication::sync();
    waylandRoundTrip();
    m_hiddenFor.start();
    if (m_retries == 0) {
        const int settle = m_grabber.settleMilliseconds();
        m_settleMilliseconds = settle >= 0 ? settle : kSettleMilliseconds;
        m_closingMilliseconds = closingAnimationMilliseconds();
    }
    grabOnceWithdrawn();
}

void Capture::grabOnceWithdrawn() {
    if (!m_grabbing || m_done) {
        return;
    }
    if (!hiddenWindowsWithdrawn()) {
        if (m_hiddenFor.elapsed() < kWithdrawalMilliseconds) {
            QTimer::singleShot(kWithdrawalPollMilliseconds, Qt::PreciseTimer, this,
                               &Capture::grabOnceWithdrawn);
            return;
        }
        qCInfo(lcCapture) << "capture: the window manager has not withdrawn our windows after"
                          << m_hiddenFor.elapsed() << "ms; reading the screen anyway";
    } else {
        qCDebug(lcCapture) << "capture: our windows withdrawn after" << m_hiddenFor.elapsed()
                           << "ms";
    }
    waitForClosingAnimation();
}

void Capture::waitForClosingAnimation() {
    if (!m_grabbing || m_done) {
        return;
    }
    // A desktop that animates windows leaving the screen draws ours until that is over.
    const qint64 hidden = m_hiddenFor.elapsed();
    if (hidden < m_closingMilliseconds) {
        QTimer::singleShot(int(m_closingMilliseconds - hidden), Qt::PreciseTimer, this,
                           &Capture::waitForClosingAnimation);
        return;
    }
    if (m_settleMilliseconds == 0) {
        askGrabber();  // before the capture windows are made, which takes a while
        return;
    }
    QTimer::singleShot(m_settleMilliseconds, Qt::PreciseTimer, this, &Capture::askGrabber);
}

void Capture::askGrabber() {
    if (!m_grabbing || m_done) {
        return;
    }
    for (const QWindow* window : QGuiApplication::topLevelWindows()) {
        if (window->isVisible()) {
            qCInfo(lcCapture) << "capture: a window of ours is on the screen:" << window;
        }
    }
    m_waitSeen = m_wait && m_wait->isVisible();
    m_grabber.start();
    renderOurWindows();
    dismissLeaving();
}

void Capture::dismissLeaving() {
    if (m_leaving) {
        m_leaving->dismiss();
        m_leaving.clear();
    }
}

void Capture::showWaiting() {
    // An interactive grab shows the desktop's own dialog, which may picture what is on the
    // screen, and lets the user give up there.
    if (!m_grabbing || m_done || m_wait || m_interactive) {
        return;
    }
    m_waitSeen = true;
    m_wait = new WaitWindow;
    connect(m_wait, &WaitWindow::cancelled, this, &Capture::abandon);
    restoreCursor();  // the user is to answer the desktop or press Escape
    m_wait->show();
    m_wait->activateWindow();
}

void Capture::onGrabbed(const FrozenScreens& screens) {
    if (!m_grabbing || m_done) {
        return;
    }
    const bool oursSeen = showsOurWindows(screens);
    if ((m_waitSeen || oursSeen) && m_retries < kMaxRetries) {
        // The waiting window was there while the desktop took the picture (on GNOME it is taken
        // right after the user allowed it): thrown away, and asked for again once it is gone.
        // The window comes back only if the new grab is slow too, so the user can still give up.
        // A window that had left, yet is in the picture, was read from a frame the compositor
        // drew before it left (seen under XWayland on GNOME): the next try waits longer.
        qCInfo(lcCapture) << "capture:"
                          << (oursSeen ? "a window of ours is in the picture"
                                       : "the waiting window was on the screen")
                          << "; asking again";
        if (oursSeen) {
            m_settleMilliseconds = 4 * std::max(m_settleMilliseconds, kSettleMilliseconds);
        }
        ++m_retries;
        m_waitSeen = false;
        if (m_wait) {
            // Hidden, not yet closed: the next grab waits until the window manager has taken
            // it down, and a picture that still shows it is taken again too.
            noteWindowOnScreen(m_wait);
            m_wait->hide();
            m_leaving = m_wait;
            m_wait.clear();
        }
        startGrab();
        QTimer::singleShot(kWaitNoticeAfterGrantMilliseconds, this, &Capture::showWaiting);
        return;
    }
    m_grabbing = false;
    if (!m_interactive) {
        s_grantSeen = true;
    }
    if (m_wait) {
        m_wait->dismiss();
    }
    // Each monitor's window was made as the grab started; one the grab did not see (unplugged
    // meanwhile) goes, one that came meanwhile gets its window now.
    QList<QPointer<Form2>> made;
    made.swap(m_windows);
    for (const FrozenScreen& screen : screens) {
        Form2* window = nullptr;
        for (QPointer<Form2>& candidate : made) {
            if (candidate && candidate->screenName() == screen.name &&
                candidate->place() == screen.geometry) {
                window = candidate.data();
                candidate.clear();
                m_windows.append(window);
                break;
            }
        }
        if (window == nullptr) {
            addWindow(screen.name, screen.geometry);
        }
    }
    for (const QPointer<Form2>& unused : std::as_const(made)) {
        if (unused) {
            unused->disconnect(this);
            unused->deleteLater();
        }
    }
    // The primary monitor's window last, so that it holds the focus.
    for (qsizetype i = screens.size() - 1; i >= 0; --i) {
        if (Form2* window = m_windows.at(i)) {
            window->load(screens.at(i).image);
        }
    }
    m_shown = true;
    restoreCursor();
    emit frozen();
}

void Capture::noteWindowOnScreen(QWidget* window) {
    const QScreen* screen = window->screen();
    if (!window->isVisible() || screen == nullptr) {
        return;
    }
    // Its pixels are rendered later, while the desktop takes its picture.
    m_oursToRender.append(window);
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        // A Wayland client is not told where its windows lie: looked for anywhere.
        m_ours.append(WindowOnScreen{QRect(), QPoint(), QImage()});
        return;
    }
    const QPointF inside =
        QPointF(window->mapToGlobal(QPoint(0, 0)) - screen->geometry().topLeft());
    m_ours.append(WindowOnScreen{screen->geometry(),
                                 (inside * window->devicePixelRatioF()).toPoint(), QImage()});
}

void Capture::renderOurWindows() {
    for (qsizetype i = 0; i < m_oursToRender.size() && i < m_ours.size(); ++i) {
        QWidget* window = m_oursToRender.at(i);
        if (window != nullptr && m_ours.at(i).pixels.isNull()) {
            // What it showed: a hidden widget renders as it would on the screen.
            QImage pixels = window->grab().toImage();
            pixels.setDevicePixelRatio(1.0);
            m_ours[i].pixels = pixels;
        }
    }
}

bool Capture::showsOurWindows(const FrozenScreens& screens) const {
    for (const WindowOnScreen& window : m_ours) {
        for (const FrozenScreen& screen : screens) {
            const bool seen =
                window.monitor.isNull()
                    ? showsWindowAnywhere(screen.image, window.pixels)
                    : screen.geometry == window.monitor && showsWindow(screen.image, window);
            if (seen) {
                return true;
            }
        }
    }
    return false;
}

Form2* Capture::addWindow(const QString& screenName, QRect place) {
    auto* window = new Form2(screenName, place, m_modes, m_modeIndex);
    m_windows.append(window);
    connect(window, &Form2::transferred, this, [this](const QImage& picture, QSizeF size) {
        if (!m_done) {
            finish();
            emit transferred(picture, size);
        }
    });
    connect(window, &Form2::abandoned, this, [this] {
        if (!m_done) {
            finish();
            emit abandoned();
        }
    });
    return window;
}

void Capture::abandon() {
    if (m_done) {
        return;
    }
    finish();
    emit abandoned();
}

void Capture::finish() {
    m_done = true;
    if (m_grabbing) {
        m_grabbing = false;
        m_grabber.cancel();
    }
    restoreCursor();
    if (m_wait) {
        m_wait->dismiss();
    }
    dismissLeaving();
    for (const QPointer<Form2>& window : std::as_const(m_windows)) {
        if (window) {
            window->abandon();  // a window that already ended ignores it
        }
    }
    deleteLater();
}

void Capture::restoreCursor() {
    if (!m_cursorRestored) {
        m_cursorRestored = true;
        QGuiApplication::restoreOverrideCursor();
    }
}

Form2* Capture::window() const {
    return m_windows.isEmpty() || !m_shown || m_done ? nullptr : m_windows.constFirst().data();
}

WaitWindow* Capture::waitWindow() const {
    return m_wait.data();
}

QList<Form2*> Capture::windows() const {
    QList<Form2*> list;
    for (const QPointer<Form2>& w : m_windows) {
        if (w && m_shown && !m_done) {
            list.append(w.data());
        }
    }
    return list;
}

}  // namespace kiramo
