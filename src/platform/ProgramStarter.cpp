#include "platform/ProgramStarter.h"

#include <QDesktopServices>
#include <QProcess>

namespace kiramo {

bool QtProgramStarter::startDetached(const QString& program, const QStringList& arguments) {
    return QProcess::startDetached(program, arguments);
}

bool QtProgramStarter::openUrl(const QUrl& url) {
    return QDesktopServices::openUrl(url);
}

}  // namespace kiramo
