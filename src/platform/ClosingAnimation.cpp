#include "platform/ClosingAnimation.h"

#include "platform/Logging.h"

#include <QDBusMessage>
#include <QDBusVariant>

namespace kiramo {

namespace {

// A shell that does not answer this quickly is not waited for.
constexpr int kAnswerMilliseconds = 200;

bool isGnome(const QString& currentDesktop) {
    return currentDesktop.split(u':').contains(QLatin1String("GNOME"), Qt::CaseInsensitive);
}

}  // namespace

int closingAnimationMilliseconds(const QDBusConnection& bus, const QString& currentDesktop) {
    if (!isGnome(currentDesktop) || !bus.isConnected()) {
        return 0;
    }
    QDBusMessage get = QDBusMessage::createMethodCall(
        QStringLiteral("org.gnome.Shell.Introspect"), QStringLiteral("/org/gnome/Shell/Introspect"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << QStringLiteral("org.gnome.Shell.Introspect") << QStringLiteral("AnimationsEnabled");
    const QDBusMessage reply = bus.call(get, QDBus::Block, kAnswerMilliseconds);
    const QVariant enabled =
        reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()
            ? reply.arguments().constFirst().value<QDBusVariant>().variant()
            : QVariant();
    qCInfo(lcCapture) << "desktop: GNOME Shell animates windows:"
                      << (enabled.isValid() ? enabled.toString() : reply.errorName());
    return enabled.toBool() ? kGnomeShellClosingMilliseconds : 0;
}

int closingAnimationMilliseconds() {
    const QString desktop = qEnvironmentVariable("XDG_CURRENT_DESKTOP");
    // The session bus only on GNOME: elsewhere (a bare X server) asking for it could start a
    // bus of its own.
    return isGnome(desktop) ? closingAnimationMilliseconds(QDBusConnection::sessionBus(), desktop)
                            : 0;
}

}  // namespace kiramo
