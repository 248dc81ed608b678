#include "platform/PortalScreenGrabber.h"

#include "platform/DesktopPicture.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QScreen>
#include <QUrl>

namespace kiramo {

namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");

QList<MonitorPlace> monitors() {
    QList<MonitorPlace> places;
    QList<QScreen*> screens = QGuiApplication::screens();
    QScreen* primary = QGuiApplication::primaryScreen();
    if (screens.removeOne(primary)) {
        screens.prepend(primary);
    }
    for (QScreen* s : screens) {
        places.append(MonitorPlace{s->name(), s->geometry(), s->devicePixelRatio()});
    }
    return places;
}

QStringList scratchFolders() {
    QStringList folders{QDir::tempPath()};
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty()) {
        folders.append(runtime);
    }
    return folders;
}

}  // namespace

PortalScreenGrabber::PortalScreenGrabber(QObject* parent)
    : PortalScreenGrabber(QDBusConnection::sessionBus(), parent) {
}

PortalScreenGrabber::PortalScreenGrabber(const QDBusConnection& bus, QObject* parent)
    : ScreenGrabber(parent)
    , m_bus(bus) {
}

PortalScreenGrabber::~PortalScreenGrabber() {
    stopListening();
}

QString PortalScreenGrabber::requestPath(const QString& uniqueName, const QString& token) {
    QString sender = uniqueName;
    if (sender.startsWith(u':')) {
        sender.remove(0, 1);
    }
    sender.replace(u'.', u'_');
    return kPath + QStringLiteral("/request/") + sender + u'/' + token;
}

bool PortalScreenGrabber::isScratchFile(const QString& path, const QStringList& folders) {
    const QString file = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    for (const QString& folder : folders) {
        const QString root = QDir::cleanPath(QDir(folder).absolutePath());
        if (!folder.isEmpty() && file.startsWith(root + u'/')) {
            return true;
        }
    }
    return false;
}

void PortalScreenGrabber::start() {
    stopListening();
    if (!m_bus.isConnected()) {
        // Answered from the event loop, as every outcome is.
        QMetaObject::invokeMethod(
            this,
            [this] {
            emit failed(
                QCoreApplication::translate("ScreenGrabber", "セッションバスに接続できません。"));
            },
            Qt::QueuedConnection);
        return;
    }
    // Unique in this process: a portal may keep an answered Request object for a while, and
    // refuses a second one on the same path.
    static int tokens = 0;
    const QString token = QStringLiteral("kiramo%1").arg(++tokens);
    // Listen before asking: a quick portal may answer before the call's reply arrives.
    listen(requestPath(m_bus.baseService(), token));

    QDBusMessage call = QDBusMessage::createMethodCall(
        kService, kPath, QStringLiteral("org.freedesktop.portal.Screenshot"),
        QStringLiteral("Screenshot"));
    const QVariantMap options{{QStringLiteral("handle_token"), token},
                              {QStringLiteral("interactive"), false},
                              {QStringLiteral("modal"), false}};
    call << QString() << options;
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    const QString expected = m_requestPath;
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, expected](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        if (m_requestPath != expected) {
            return;  // cancelled or answered meanwhile
        }
        const QDBusPendingReply<QDBusObjectPath> reply = *w;
        if (reply.isError()) {
            stopListening();
            const QString name = reply.error().name();
            if (name == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown") ||
                name == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner") ||
                name == QLatin1String("org.freedesktop.DBus.Error.UnknownInterface") ||
                name == QLatin1String("org.freedesktop.DBus.Error.UnknownMethod") ||
                name == QLatin1String("org.freedesktop.DBus.Error.UnknownObject")) {
                emit failed(QCoreApplication::translate("ScreenGrabber",
                                                        "デスクトップのスクリーンショット機能 "
                                                        "(xdg-desktop-portal) が見つかりません。"));
            } else {
                emit failed(QCoreApplication::translate(
                                "ScreenGrabber", "デスクトップが画面の読み取りを断りました: %1")
                                .arg(reply.error().message()));
            }
            return;
        }
        // A portal older than handle_token answers on a path of its own choosing.
        const QString path = reply.value().path();
        if (!path.isEmpty() && path != m_requestPath) {
            listen(path);
        }
    });
}

void PortalScreenGrabber::cancel() {
    stopListening();
}

void PortalScreenGrabber::listen(const QString& path) {
    stopListening();
    m_requestPath = path;
    m_bus.connect(kService, path, QStringLiteral("org.freedesktop.portal.Request"),
                  QStringLiteral("Response"), this, SLOT(onResponse(uint, QVariantMap)));
}

void PortalScreenGrabber::stopListening() {
    if (m_requestPath.isEmpty()) {
        return;
    }
    m_bus.disconnect(kService, m_requestPath, QStringLiteral("org.freedesktop.portal.Request"),
                     QStringLiteral("Response"), this, SLOT(onResponse(uint, QVariantMap)));
    m_requestPath.clear();
}

void PortalScreenGrabber::onResponse(uint response, const QVariantMap& results) {
    if (m_requestPath.isEmpty()) {
        return;
    }
    stopListening();
    switch (response) {
    case 0:
        finishWithPicture(results);
        break;
    case 1:
        emit refused();
        break;
    default:
        emit failed(QCoreApplication::translate("ScreenGrabber",
                                                "デスクトップが画面の読み取りに失敗しました。"));
        break;
    }
}

void PortalScreenGrabber::finishWithPicture(const QVariantMap& results) {
    const QUrl uri(results.value(QStringLiteral("uri")).toString());
    const QString path = uri.isLocalFile() ? uri.toLocalFile() : QString();
    QImageReader reader(path);
    QImage picture = path.isEmpty() ? QImage() : reader.read();
    if (!path.isEmpty() && QFile::exists(path) && isScratchFile(path, scratchFolders())) {
        QFile::remove(path);  // the portal's scratch copy; a file elsewhere is the user's
    }
    if (picture.isNull()) {
        emit failed(QCoreApplication::translate("ScreenGrabber", "画像 %1 を読めません。")
                        .arg(path.isEmpty() ? uri.toString() : path));
        return;
    }
    picture = picture.convertToFormat(QImage::Format_RGB32);
    FrozenScreens frozen;
    for (const MonitorPicture& part : splitDesktopPicture(picture, monitors())) {
        frozen.append(FrozenScreen{part.name, part.geometry, part.image});
    }
    emit grabbed(frozen);
}

}  // namespace kiramo
