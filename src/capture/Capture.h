#pragma once

#include "core/WindowSighting.h"
#include "platform/ScreenGrabber.h"

#include <QElapsedTimer>
#include <QImage>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSizeF>

class QWidget;

namespace kiramo {

class Form2;
class ModeTable;
class WaitWindow;

// One capture from start to end: GrabScreen through the screen grabber once the caller's own
// windows have left the screen, then a Form2 on every monitor with that monitor's frozen pixels;
// the band is drawn on any one of them. While the grab is under way and slow (a desktop asking
// for permission), a small WaitWindow lets the user give up. Reports exactly one outcome and
// then deletes itself; it never reaches into the main window.
class Capture : public QObject {
    Q_OBJECT

public:
    // How long other windows get to repaint what the main window covered, once it has left
    // the screen, before the screen is read. GNOME's compositor, natively too, hands out a
    // picture with our window in it when asked right after it has carried the hide out (4 in 15
    // with no wait, 3 in 18 with 16 ms; never seen in hundreds with this one).
    static constexpr int kSettleMilliseconds = 40;
    // How long the window manager may take to withdraw our hidden windows (see
    // hiddenWindowsWithdrawn) before the screen is read anyway, and how often it is asked.
    static constexpr int kWithdrawalMilliseconds = 1000;
    static constexpr int kWithdrawalPollMilliseconds = 5;
    // How long the grab may take before the waiting window shows.
    static constexpr int kWaitNoticeMilliseconds = 700;
    // The same once a grab has gone through without the user in this process: the desktop
    // no longer asks, and a slow grab (a large screen) is not worth a picture thrown away.
    static constexpr int kWaitNoticeAfterGrantMilliseconds = 3000;
    // How often a picture taken while the waiting window showed is asked for again; after
    // that (a desktop slower than the notice every time) it is taken as it is.
    static constexpr int kMaxRetries = 2;

    Capture(ScreenGrabber& grabber, const ModeTable& modes, const int& modeIndex);
    ~Capture() override;

    // The desktop lets the user choose what to take in a dialog of its own (the portal's
    // interactive screenshot); the frozen screen is what that returns. Before start().
    void setInteractive(bool interactive) { m_interactive = interactive; }
    // `window`, about to be hidden for the grab, is on the screen now: a picture that still shows
    // it is taken again (where it lay under X11 and XWayland, anywhere under Wayland).
    void noteWindowOnScreen(QWidget* window);
    // GrabScreen: after the settle time the grab starts; returns at once.
    void start();
    // Ends the capture without a picture, whatever stage it is at.
    void abandon();

    // The capture window of the primary monitor (the first one) once the screen is frozen.
    [[nodiscard]] Form2* window() const;
    [[nodiscard]] QList<Form2*> windows() const;
    // The waiting window while it is shown.
    [[nodiscard]] WaitWindow* waitWindow() const;

signals:
    // The screen is frozen and shown.
    void frozen();
    void transferred(const QImage& picture, QSizeF bandSize);
    // Over without a picture: abandoned, closed, or the user declined the desktop's question.
    void abandoned();
    // Over because the screen could not be read; `reason` is for the user.
    void failed(const QString& reason);
    // Over because the desktop keeps the program from reading the screen quietly; an
    // interactive capture may still work.
    void denied(const QString& reason);

private:
    void onGrabbed(const FrozenScreens& screens);
    void showWaiting();
    void startGrab();
    void grabOnceWithdrawn();
    void waitForClosingAnimation();
    void askGrabber();
    void renderOurWindows();
    void dismissLeaving();
    [[nodiscard]] bool showsOurWindows(const FrozenScreens& screens) const;
    void finish();
    void restoreCursor();
    Form2* addWindow(const QString& screenName, QRect place);

    ScreenGrabber& m_grabber;
    const ModeTable& m_modes;
    const int& m_modeIndex;
    // One per monitor, made when the capture starts and shown once the screen is frozen.
    QList<QPointer<Form2>> m_windows;
    QPointer<WaitWindow> m_wait;
    QPointer<WaitWindow> m_leaving;  // hidden for the next grab, closed once it is asked for
    QElapsedTimer m_hiddenFor;       // since our windows were hidden for the grab
    QList<WindowOnScreen> m_ours;    // see noteWindowOnScreen
    QList<QPointer<QWidget>> m_oursToRender;  // their widgets, one to one
    int m_settleMilliseconds = kSettleMilliseconds;
    int m_closingMilliseconds = 0;  // how long the desktop animates our windows leaving
    bool m_grabbing = false;
    bool m_interactive = false;
    // The waiting window was on the screen while the grab was out: the picture may show it.
    bool m_waitSeen = false;
    int m_retries = 0;     // pictures thrown away for that
    bool m_shown = false;  // the frozen screen is on the windows
    bool m_cursorRestored = false;
    bool m_done = false;
};

}  // namespace kiramo
