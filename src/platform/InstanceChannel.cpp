#include "platform/InstanceChannel.h"

#include "platform/AppFolders.h"
#include "platform/FileChecks.h"

#include <QCryptographicHash>
#include <QDir>
#include <QGuiApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>

namespace kiramo {

namespace {

// A request is a word; anything longer is no request of ours.
constexpr qint64 kLongestRequest = 64;
constexpr char kAnswer[] = "ok\n";
// How long a listener waits for the request once a KIRAMO has connected (milliseconds).
constexpr int kRequestWait = 2000;
// A socket's path must fit into sockaddr_un (108 bytes on Linux, with its terminating zero).
constexpr int kLongestSocketPath = 100;

}  // namespace

InstanceChannel::InstanceChannel(QObject* parent)
    : QObject(parent)
    , m_server(new QLocalServer(this)) {
    // No access options: with them Qt makes the socket elsewhere and renames it into place,
    // over a live KIRAMO's socket as well. The socket lies in a folder private to the user.
    connect(m_server, &QLocalServer::newConnection, this, &InstanceChannel::answer);
}

InstanceChannel::~InstanceChannel() = default;

QString InstanceChannel::socketPath(const QString& folder, const QString& display) {
    QString name;
    for (const QChar c : display) {
        const bool plain = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
                           (c >= u'0' && c <= u'9') || c == u'.' || c == u'-';
        name += plain ? c : u'_';
    }
    // Two displays whose names differ only in what was replaced still get sockets of their own.
    if (name != display) {
        name += u'-' + QString::fromLatin1(
                           QCryptographicHash::hash(display.toUtf8(), QCryptographicHash::Sha1)
                               .toHex()
                               .left(8));
    }
    QString path = QDir(folder).filePath(QStringLiteral("kiramo-") + name);
    if (path.toUtf8().size() > kLongestSocketPath) {
        path = QDir(folder).filePath(
            QStringLiteral("kiramo-") +
            QString::fromLatin1(
                QCryptographicHash::hash(display.toUtf8(), QCryptographicHash::Sha1).toHex()));
    }
    return path;
}

QString InstanceChannel::sessionSocketPath(const AppFolders& folders) {
    QString reason;
    if (folders.runtime.isEmpty() || !makePrivateFolder(folders.runtime, &reason)) {
        return QString();
    }
    const QString platform = QGuiApplication::platformName();
    const QString display = qEnvironmentVariable(
        platform.startsWith(QLatin1String("wayland")) ? "WAYLAND_DISPLAY" : "DISPLAY");
    return socketPath(folders.runtime, platform + u'-' + display);
}

bool InstanceChannel::handOff(const QString& path, const QByteArray& request, int milliseconds) {
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(milliseconds)) {
        return false;
    }
    socket.write(request + '\n');
    if (!socket.waitForBytesWritten(milliseconds)) {
        return false;
    }
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(milliseconds)) {
            return false;
        }
    }
    return socket.readLine(kLongestRequest) == kAnswer;
}

bool InstanceChannel::listen(const QString& path, QString* reason) {
    if (m_server->listen(path)) {
        return true;
    }
    if (m_server->serverError() == QAbstractSocket::AddressInUseError) {
        QLocalSocket probe;
        probe.connectToServer(path);
        if (probe.waitForConnected(kRequestWait)) {
            *reason = QStringLiteral("another KIRAMO listens at %1").arg(path);
            return false;
        }
        // Nobody answers there: what is left is a dead KIRAMO's socket.
        QLocalServer::removeServer(path);
        if (m_server->listen(path)) {
            return true;
        }
    }
    *reason = m_server->errorString();
    return false;
}

void InstanceChannel::answer() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        auto read = [this, socket] {
            if (!socket->canReadLine()) {
                if (socket->bytesAvailable() > kLongestRequest) {
                    socket->abort();
                }
                return;
            }
            const QByteArray request = socket->readLine(kLongestRequest).trimmed();
            socket->write(kAnswer);
            socket->disconnectFromServer();  // once the answer is out
            emit requested(request);
        };
        connect(socket, &QLocalSocket::readyRead, this, read);
        // One that connects and says nothing (a KIRAMO looking whether anyone listens) is let
        // go after a while.
        QTimer::singleShot(kRequestWait, socket, [socket] { socket->abort(); });
        read();  // what came before the connection was taken
    }
}

}  // namespace kiramo
