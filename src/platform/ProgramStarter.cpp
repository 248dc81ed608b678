#include "platform/ProgramStarter.h"

#include <QDesktopServices>
#include <QProcess>

namespace kiramo {

CommandLine commandWithFile(const QString& command, const QString& file) {
    QStringList words = QProcess::splitCommand(command);
    CommandLine line;
    if (!words.isEmpty()) {
        line.program = words.takeFirst();
    }
    line.arguments = words;
    line.arguments.append(file);
    return line;
}

bool QtProgramStarter::startDetached(const QString& program, const QStringList& arguments) {
    return QProcess::startDetached(program, arguments);
}

bool QtProgramStarter::openUrl(const QUrl& url) {
    return QDesktopServices::openUrl(url);
}

}  // namespace kiramo
