#pragma once

#include "platform/ScreenGrabber.h"

#include <QDBusConnection>
#include <QVariantMap>

namespace kiramo {

// Reads the screen through the desktop portal (org.freedesktop.portal.Screenshot on the session
// bus), the one way a Wayland client may. The portal answers on a Request object whose Response
// signal is subscribed to before the call, so that no answer can be missed: 0 with the picture's
// uri, 1 when the user said no, 2 when it failed. The portal's single picture of the whole
// desktop is cut into the monitors' parts.
class PortalScreenGrabber final : public ScreenGrabber {
    Q_OBJECT

public:
    explicit PortalScreenGrabber(QObject* parent = nullptr);
    // On `bus` rather than the session bus (tests).
    PortalScreenGrabber(const QDBusConnection& bus, QObject* parent = nullptr);
    ~PortalScreenGrabber() override;

    void start() override;
    void cancel() override;

    // The Request object the portal answers on for `token`, given this connection's unique name
    // (":1.42" -> ".../request/1_42/token").
    [[nodiscard]] static QString requestPath(const QString& uniqueName, const QString& token);
    // True when the portal's picture at `path` lies in one of the `scratchFolders` (temporary
    // or runtime folders), where the program may delete it after reading; a file anywhere else
    // the user may want to keep.
    [[nodiscard]] static bool isScratchFile(const QString& path, const QStringList& scratchFolders);

private slots:
    void onResponse(uint response, const QVariantMap& results);

private:
    void listen(const QString& path);
    void stopListening();
    void finishWithPicture(const QVariantMap& results);

    QDBusConnection m_bus;
    QString m_requestPath;  // the Request listened to; empty when no grab is under way
};

}  // namespace kiramo
