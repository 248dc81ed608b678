#include "platform/PortalScreenGrabber.h"

#include "platform/DesktopPicture.h"
#include "platform/Logging.h"
#include "platform/PngDecoder.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QUrl>

namespace kiramo {

namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kStoreService = QStringLiteral("org.freedesktop.impl.portal.PermissionStore");
const QString kStorePath = QStringLiteral("/org/freedesktop/impl/portal/PermissionStore");
// How long the permission store may take to say what it holds before the failure is reported
// without it.
constexpr int kStoreTimeoutMilliseconds = 2000;

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

// The local file a Response's results name, or nothing.
QString pictureFile(const QVariantMap& results) {
    const QUrl uri(results.value(QStringLiteral("uri")).toString());
    return uri.isLocalFile() ? uri.toLocalFile() : QString();
}

// The picture was made for our request alone: it goes once read, wherever the desktop put it.
void removePicture(const QString& path) {
    if (path.isEmpty() || !QFileInfo(path).isFile()) {
        return;
    }
    const bool removed = QFile::remove(path);
    qCInfo(lcCapture) << (removed ? "removed" : "could not remove") << "the portal's picture"
                      << path
                      << (PortalScreenGrabber::isScratchFile(path, scratchFolders())
                              ? "(scratch folder)"
                              : "(user's folder)");
}

}  // namespace

PortalRequest::PortalRequest(const QDBusConnection& bus, bool interactive, QObject* parent)
    : QObject(parent)
    , m_bus(bus)
    , m_interactive(interactive) {
    m_clock.start();
}

PortalRequest::~PortalRequest() {
    stopListening();
}

void PortalRequest::listen(const QString& path) {
    if (m_answered) {
        return;
    }
    stopListening();
    m_path = path;
    m_bus.connect(kService, path, QStringLiteral("org.freedesktop.portal.Request"),
                  QStringLiteral("Response"), this, SLOT(onResponse(uint, QVariantMap)));
}

void PortalRequest::stopListening() {
    if (m_path.isEmpty()) {
        return;
    }
    m_bus.disconnect(kService, m_path, QStringLiteral("org.freedesktop.portal.Request"),
                     QStringLiteral("Response"), this, SLOT(onResponse(uint, QVariantMap)));
    m_path.clear();
}

void PortalRequest::onResponse(uint response, const QVariantMap& results) {
    if (m_path.isEmpty()) {
        return;
    }
    stopListening();
    m_answered = true;
    emit answered(response, results);
}

PortalScreenGrabber::PortalScreenGrabber(QObject* parent)
    : PortalScreenGrabber(QDBusConnection::sessionBus(), parent) {
}

PortalScreenGrabber::PortalScreenGrabber(const QDBusConnection& bus, QObject* parent)
    : ScreenGrabber(parent)
    , m_bus(bus) {
}

PortalScreenGrabber::~PortalScreenGrabber() = default;

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

std::optional<bool>
PortalScreenGrabber::storedPermission(const QMap<QString, QStringList>& permissions) {
    const QStringList values = permissions.value(QString());
    if (values.contains(QLatin1String("no"))) {
        return false;
    }
    if (values.contains(QLatin1String("yes"))) {
        return true;
    }
    return std::nullopt;
}

bool PortalScreenGrabber::isDenial(std::optional<bool> stored, qint64 answeredAfterMs,
                                   bool interactive) {
    if (interactive) {
        return false;
    }
    if (stored.has_value()) {
        return !*stored;
    }
    return answeredAfterMs < kQuickDenialMilliseconds;
}

void PortalScreenGrabber::start() {
    cancel();
    ++m_round;
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
    auto* request = new PortalRequest(m_bus, m_interactive, this);
    connect(request, &PortalRequest::answered, this,
            [this, request](uint response, const QVariantMap& results) {
        onAnswer(request, response, results);
    });
    m_current = request;
    // Listen before asking: a quick portal may answer before the call's reply arrives.
    request->listen(requestPath(m_bus.baseService(), token));
    qCInfo(lcCapture) << "portal: asking for a screenshot, token" << token
                      << (m_interactive ? "interactive" : "quiet");

    QDBusMessage call = QDBusMessage::createMethodCall(
        kService, kPath, QStringLiteral("org.freedesktop.portal.Screenshot"),
        QStringLiteral("Screenshot"));
    const QVariantMap options{{QStringLiteral("handle_token"), token},
                              {QStringLiteral("interactive"), m_interactive},
                              {QStringLiteral("modal"), false}};
    call << QString() << options;
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    const QPointer<PortalRequest> asked = request;
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, asked](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        if (!asked) {
            return;  // answered meanwhile
        }
        const QDBusPendingReply<QDBusObjectPath> reply = *w;
        if (reply.isError()) {
            qCInfo(lcCapture) << "portal: the call failed:" << reply.error().name()
                              << reply.error().message();
            const bool current = asked == m_current;
            delete asked.data();
            if (!current) {
                return;  // given up on meanwhile
            }
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
        qCDebug(lcCapture) << "portal: call answered after" << asked->elapsed() << "ms";
        // A portal older than handle_token answers on a path of its own choosing.
        const QString path = reply.value().path();
        if (!path.isEmpty() && path != asked->path()) {
            asked->listen(path);
        }
    });
}

void PortalScreenGrabber::cancel() {
    ++m_round;
    if (m_current) {
        // Kept listening: a picture the desktop still makes for it is removed when it comes.
        m_current->abandoned = true;
        qCInfo(lcCapture) << "portal: given up after" << m_current->elapsed() << "ms";
        m_current = nullptr;
    }
}

void PortalScreenGrabber::onAnswer(PortalRequest* request, uint response,
                                   const QVariantMap& results) {
    request->deleteLater();
    const qint64 ms = request->elapsed();
    qCInfo(lcCapture) << "portal: response" << response << "after" << ms << "ms"
                      << (request->abandoned ? "(given up on)" : "") << results;
    if (request->abandoned || request != m_current) {
        removePicture(pictureFile(results));
        return;
    }
    m_current = nullptr;
    switch (response) {
    case 0:
        finishWithPicture(results, ms, request->interactive());
        break;
    case 1:
        emit refused();
        break;
    default:
        answerFailure(ms, request->interactive());
        break;
    }
}

void PortalScreenGrabber::answerFailure(qint64 answeredAfterMs, bool interactive) {
    // The desktop keeps a "no" for programs outside a sandbox in its permission store, where a
    // program may read it; otherwise only a quick answer tells a stored "no" from a failure.
    QDBusMessage lookup = QDBusMessage::createMethodCall(kStoreService, kStorePath, kStoreService,
                                                         QStringLiteral("Lookup"));
    lookup << QStringLiteral("screenshot") << QStringLiteral("screenshot");
    auto* watcher =
        new QDBusPendingCallWatcher(m_bus.asyncCall(lookup, kStoreTimeoutMilliseconds), this);
    const quint64 round = m_round;
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, round, answeredAfterMs, interactive](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        if (round != m_round) {
            return;  // given up on, or a new grab started meanwhile
        }
        std::optional<bool> stored;
        const QDBusMessage reply = w->reply();
        if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()) {
            stored = storedPermission(
                qdbus_cast<QMap<QString, QStringList>>(reply.arguments().constFirst()));
            qCInfo(lcCapture) << "portal: stored screenshot permission"
                              << (stored ? (*stored ? "yes" : "no") : "unset");
        } else {
            qCInfo(lcCapture) << "portal: permission store not readable:" << reply.errorName();
        }
        if (isDenial(stored, answeredAfterMs, interactive)) {
            const QString command = QStringLiteral(
                "gdbus call --session --dest org.freedesktop.impl.portal.PermissionStore "
                "--object-path /org/freedesktop/impl/portal/PermissionStore --method "
                "org.freedesktop.impl.portal.PermissionStore.DeletePermission screenshot "
                "screenshot ''");
            emit denied(QCoreApplication::translate(
                            "ScreenGrabber",
                            "デスクトップが画面の読み取りを許可していません (以前の確認で"
                            "「拒否」が選ばれ、記憶されています)。\n"
                            "もう一度確認させるには、端末で次を実行してください:\n%1")
                            .arg(command));
            return;
        }
        emit failed(QCoreApplication::translate("ScreenGrabber",
                                                "デスクトップが画面の読み取りに失敗しました。"));
    });
}

void PortalScreenGrabber::finishWithPicture(const QVariantMap& results, qint64 answeredAfterMs,
                                            bool interactive) {
    const QString path = pictureFile(results);
    QElapsedTimer clock;
    clock.start();
    // A desktop's screenshot is an opaque 8-bit PNG, read the quick way; anything else the
    // usual way.
    QImage picture;
    bool quick = false;
    if (!path.isEmpty()) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly)) {
            const QByteArray bytes = file.readAll();
            picture = decodeOpaquePng(bytes);
            quick = !picture.isNull();
            if (!quick) {
                picture = QImage::fromData(bytes);
            }
        }
    }
    removePicture(path);
    if (picture.isNull()) {
        emit failed(
            QCoreApplication::translate("ScreenGrabber", "画像 %1 を読めません。")
                .arg(path.isEmpty() ? results.value(QStringLiteral("uri")).toString() : path));
        return;
    }
    qCInfo(lcCapture) << "portal: picture" << picture.size() << "answered after" << answeredAfterMs
                      << "ms, read" << (quick ? "quickly" : "by Qt") << "in" << clock.elapsed()
                      << "ms";
    picture.convertTo(QImage::Format_RGB32);  // in place where the depth allows
    FrozenScreens frozen;
    if (interactive) {
        // Whatever the user chose in the desktop's dialog (a region, a window, a screen): not
        // a picture of the whole desktop to cut up, but shown as it is on the primary monitor.
        const QList<MonitorPlace> places = monitors();
        if (!places.isEmpty()) {
            picture.setDevicePixelRatio(1.0);
            frozen.append(
                FrozenScreen{places.constFirst().name, places.constFirst().geometry, picture});
        }
        emit grabbed(frozen);
        return;
    }
    for (const MonitorPicture& part : splitDesktopPicture(picture, monitors())) {
        qCInfo(lcCapture) << "monitor" << part.name << part.geometry << "frozen as"
                          << part.image.size();
        frozen.append(FrozenScreen{part.name, part.geometry, part.image});
    }
    emit grabbed(frozen);
}

}  // namespace kiramo
