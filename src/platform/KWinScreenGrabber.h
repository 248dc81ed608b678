#pragma once

#include "platform/ScreenGrabber.h"

#include <QByteArray>
#include <QDBusConnection>
#include <QElapsedTimer>
#include <QList>
#include <QPointer>
#include <QVariantMap>

namespace kiramo {

class KWinShot;
class PortalScreenGrabber;

// Reads the screen through KWin's own screenshot interface (org.kde.KWin.ScreenShot2 on the
// session bus) on KDE Plasma: each monitor's raw pixels come through a pipe, without the mouse
// pointer, several times faster than through the desktop portal. KWin lets only programs in
// whose desktop entry X-KDE-DBUS-Restricted-Interfaces names the interface call it; where it
// says no, or is not there, the portal reads the screen instead, for the rest of the run.
// Where the toolkit's monitor names are not KWin's (XWayland names its monitors XWAYLAND0, ...),
// KWin's picture of the whole desktop is cut into the monitors' parts.
class KWinScreenGrabber final : public ScreenGrabber {
    Q_OBJECT

public:
    explicit KWinScreenGrabber(QObject* parent = nullptr);
    // On `bus` rather than the session bus (tests).
    KWinScreenGrabber(const QDBusConnection& bus, QObject* parent = nullptr);
    ~KWinScreenGrabber() override;

    void setInteractive(bool interactive) override;
    // KWin renders the screenshot from the scene as it is when asked: no wait (the portal's
    // usual one where that is used instead).
    [[nodiscard]] int settleMilliseconds() const override {
        return m_kwinUnavailable || m_interactive ? -1 : 0;
    }
    void start() override;
    void cancel() override;

    // What an error answer of KWin means for this grab and the following ones.
    enum class KWinError {
        Unavailable,    // not allowed, or no such service: the portal from now on
        UnknownScreen,  // KWin has no monitor of that name: its whole desktop from now on
        Failed,         // this grab went wrong: the portal for it
    };
    [[nodiscard]] static KWinError kwinError(const QString& errorName);
    // The picture from the `bytes` KWin wrote into the pipe and the `metadata` it answered
    // (width, height, stride and a QImage::Format number), RGB32 at ratio 1. The bytes are used
    // in place where they are laid out as RGB32 already; a null image where they are too few
    // or the metadata makes no sense.
    [[nodiscard]] static QImage pictureOf(QByteArray bytes, const QVariantMap& metadata);

private:
    PortalScreenGrabber* portal();
    void startWithPortal(const char* why);
    void startShots();
    void onShotDone(KWinShot* shot);
    void onShotError(const QString& errorName, const QString& message);
    void dropShots();

    QDBusConnection m_bus;
    QPointer<PortalScreenGrabber> m_portal;  // made when first needed
    QList<KWinShot*> m_shots;                // the calls of the grab under way
    QElapsedTimer m_clock;                   // since start()
    quint64 m_round = 0;  // counts start() and cancel(): an answer of an older round is stale
    bool m_interactive = false;
    bool m_kwinUnavailable = false;  // KWin said no once: the portal for the rest of the run
    bool m_wholeDesktop = false;     // KWin's monitor names are not the toolkit's
};

}  // namespace kiramo
