#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QLocalServer;

namespace kiramo {

struct AppFolders;

// The running KIRAMO of a user on a display takes requests from KIRAMOs started later (a
// capture asked for from a launcher), over a local socket in the user's private runtime folder.
// A request is one short line of text; the listener answers "ok" once it has taken it.
class InstanceChannel : public QObject {
    Q_OBJECT

public:
    explicit InstanceChannel(QObject* parent = nullptr);
    ~InstanceChannel() override;

    // The socket for `display` (a name of the window system's display, any characters) in
    // `folder`: one per display, since a capture belongs on the display it was asked on.
    [[nodiscard]] static QString socketPath(const QString& folder, const QString& display);
    // The socket of this process's display in the runtime folder of `folders`, made private
    // to the user first; "" when that folder cannot be had.
    [[nodiscard]] static QString sessionSocketPath(const AppFolders& folders);

    // Hands `request` to the KIRAMO that listens at `path`, waiting at most `milliseconds` for
    // each step. True once it has answered that it took it.
    [[nodiscard]] static bool handOff(const QString& path, const QByteArray& request,
                                      int milliseconds);

    // Listens at `path`. A socket that a KIRAMO left there when it ended without removing it
    // (a crash) is replaced; false, with `reason`, when another KIRAMO listens there or the
    // socket cannot be made.
    bool listen(const QString& path, QString* reason);

signals:
    void requested(const QByteArray& request);

private:
    void answer();

    QLocalServer* const m_server;
};

}  // namespace kiramo
