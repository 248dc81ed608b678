#pragma once

#include "platform/ScreenGrabber.h"

#include <QDBusConnection>
#include <QElapsedTimer>
#include <QMap>
#include <QPointer>
#include <QStringList>
#include <QVariantMap>

#include <optional>

namespace kiramo {

class PortalRequest;

// Reads the screen through the desktop portal (org.freedesktop.portal.Screenshot on the session
// bus), the one way a Wayland client may. The portal answers on a Request object whose Response
// signal is subscribed to before the call, so that no answer can be missed: 0 with the picture's
// uri, 1 when the user said no, 2 when it failed or the desktop keeps a "no" for screenshots.
// The portal's single picture of the whole desktop is cut into the monitors' parts. The picture
// file the portal wrote for a request of ours is removed once read, wherever it lies (GNOME and
// KDE write it into the user's Pictures folder), also when it comes after the user gave up.
class PortalScreenGrabber final : public ScreenGrabber {
    Q_OBJECT

public:
    // A failure answered sooner than this after the call, with nothing to read in the
    // permission store, is taken for a stored "no" (GNOME answers one in about 50 ms; a real
    // grab takes longer).
    static constexpr qint64 kQuickDenialMilliseconds = 250;

    explicit PortalScreenGrabber(QObject* parent = nullptr);
    // On `bus` rather than the session bus (tests).
    PortalScreenGrabber(const QDBusConnection& bus, QObject* parent = nullptr);
    ~PortalScreenGrabber() override;

    void setInteractive(bool interactive) override { m_interactive = interactive; }
    void start() override;
    void cancel() override;

    // The Request object the portal answers on for `token`, given this connection's unique name
    // (":1.42" -> ".../request/1_42/token").
    [[nodiscard]] static QString requestPath(const QString& uniqueName, const QString& token);
    // True when the portal's picture at `path` lies in one of the `scratchFolders` (temporary
    // or runtime folders) rather than among the user's files.
    [[nodiscard]] static bool isScratchFile(const QString& path, const QStringList& scratchFolders);
    // What the permission store's screenshot entry (app id -> its values) holds for programs
    // outside a sandbox (app id ""): true for "yes", false for "no", nothing when unset.
    [[nodiscard]] static std::optional<bool>
    storedPermission(const QMap<QString, QStringList>& permissions);
    // Whether a failure answer means the desktop denied the grab rather than failed at it, from
    // the stored permission (nothing: not readable or unset) and how long the answer took. An
    // interactive grab is never subject to the permission.
    [[nodiscard]] static bool isDenial(std::optional<bool> stored, qint64 answeredAfterMs,
                                       bool interactive);

private:
    void onAnswer(PortalRequest* request, uint response, const QVariantMap& results);
    void answerFailure(qint64 answeredAfterMs, bool interactive);
    void finishWithPicture(const QVariantMap& results, qint64 answeredAfterMs, bool interactive);

    QDBusConnection m_bus;
    QPointer<PortalRequest> m_current;  // the request whose answer is awaited
    quint64 m_round = 0;                // counts start() and cancel(): an answer of an older
                                        // round is stale
    bool m_interactive = false;
};

// One Screenshot call: listens to the Response of its Request object until that comes, also
// after the user gave up on it, so that the picture made for it can still be removed.
class PortalRequest : public QObject {
    Q_OBJECT

public:
    PortalRequest(const QDBusConnection& bus, bool interactive, QObject* parent);
    ~PortalRequest() override;

    void listen(const QString& path);
    [[nodiscard]] qint64 elapsed() const { return m_clock.elapsed(); }
    [[nodiscard]] bool interactive() const { return m_interactive; }
    // The Request object listened to; empty once answered.
    [[nodiscard]] const QString& path() const { return m_path; }
    bool abandoned = false;  // the user gave up; only the picture's file is still of interest

signals:
    void answered(uint response, const QVariantMap& results);

private slots:
    void onResponse(uint response, const QVariantMap& results);

private:
    void stopListening();

    QDBusConnection m_bus;
    QString m_path;
    QElapsedTimer m_clock;  // since the call
    bool m_interactive;
    bool m_answered = false;
};

}  // namespace kiramo
