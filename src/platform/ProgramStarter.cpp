#include "platform/ProgramStarter.h"

#include <QDesktopServices>
#include <QDir>
#include <QProcess>

namespace kiramo {

CommandLine commandWithFile(const QString& command, const QString& file,
                            const QString& commandFolder) {
    QStringList words = QProcess::splitCommand(command);
    CommandLine line;
    if (!words.isEmpty()) {
        line.program = words.takeFirst();
    }
    // A relative path with a folder in it would be taken from the current folder, which the
    // Open dialog moves to the opened file's: "./rec" would run whatever lies beside that file.
    // A bare name stays a name, found on PATH.
    const bool hasFolder = line.program.contains(u'/') || line.program.contains(u'\\');
    if (hasFolder && QDir::isRelativePath(line.program)) {
        QString relative = line.program;
        relative.replace(u'\\', u'/');
        line.program = QDir::cleanPath(QDir(commandFolder).absoluteFilePath(relative));
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
