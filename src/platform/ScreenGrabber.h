#pragma once

#include <QImage>
#include <QList>
#include <QObject>
#include <QRect>
#include <QString>

class QScreen;

namespace kiramo {

// One monitor as it was displayed when the screen was frozen.
struct FrozenScreen {
    QString name;    // QScreen::name(), to find the monitor again
    QRect geometry;  // its place on the desktop, logical pixels (QScreen::geometry())
    QImage image;    // its pixels, device pixels, pixel (x, y) = monitor pixel (x, y), ratio 1;
                     // fewer where the desktop's picture had fewer (see monitorParts)
};
using FrozenScreens = QList<FrozenScreen>;

// Reads every monitor's pixels as they are displayed. The reading may take long (a desktop can
// ask the user for permission first), so it is started and answered later: after start(),
// exactly one of grabbed(), refused(), failed() or denied() is emitted from the event loop, never
// from within start() itself, unless cancel() comes first, after which nothing is emitted.
class ScreenGrabber : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // The program's windows are leaving the screen and start() follows soon: a grabber may get
    // ready meanwhile (memory for the pixels, say), so that the grab itself is quick.
    virtual void prepare() {}
    // Whether the following start()s let the desktop ask the user what to take (its own
    // screenshot dialog) rather than reading the whole screen quietly. Only the portal has such
    // a way; elsewhere this changes nothing.
    virtual void setInteractive(bool interactive) { (void)interactive; }
    // How long after the program's windows left the screen the grab should wait, so that the
    // picture is taken from a frame drawn without them; -1 for the caller's usual wait.
    // Nothing where the desktop draws the picture afresh when asked.
    [[nodiscard]] virtual int settleMilliseconds() const { return -1; }
    virtual void start() = 0;
    virtual void cancel() = 0;

signals:
    // Every monitor, the primary one first.
    void grabbed(const kiramo::FrozenScreens& screens);
    // The user declined to let the program read the screen.
    void refused();
    // The screen could not be read; `reason` is for the user, in the program's language.
    void failed(const QString& reason);
    // The desktop keeps the program from reading the screen quietly (a stored "no"); `reason`
    // says so and how to allow it again. An interactive grab may still work.
    void denied(const QString& reason);
};

// Which way of reading the screen suits this session: the X server's own pixels when the program
// talks to a real X server, the desktop portal under Wayland (natively, or through XWayland where
// an X grab sees only X windows), and there KWin's own screenshot interface where the desktop
// (`currentDesktop`, XDG_CURRENT_DESKTOP: names separated by colons) is KDE.
enum class ScreenSource { X11, Portal, KWin };
[[nodiscard]] ScreenSource screenSourceFor(const QString& platformName, const QString& sessionType,
                                           const QString& waylandDisplay,
                                           const QString& currentDesktop = QString());

// The screen grabber that suits this session (see screenSourceFor).
[[nodiscard]] ScreenGrabber* createScreenGrabber(QObject* parent = nullptr);

// Frozen pixels of every monitor through the toolkit: QScreen::grabWindow of each monitor's
// root. Works wherever the window system lets a program read the screen (X11, Windows).
[[nodiscard]] FrozenScreens grabScreensWithToolkit();

// The monitors, the primary first: the order in which the frozen screens are reported.
[[nodiscard]] QList<QScreen*> screensPrimaryFirst();

}  // namespace kiramo
