#include "platform/AppFolders.h"

#include "platform/FileChecks.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace kiramo {

QString joinPath(const QString& folder, const QString& name) {
    if (folder.endsWith(u'/') || folder.endsWith(u'\\')) {
        return folder + name;
    }
    return folder + u'/' + name;
}

AppFolders AppFolders::resolve(const QString& executableFolder, const QString& configFolder,
                               const QString& runtimeFolder, const QString& windowsFolder) {
    AppFolders folders;
    folders.executable = executableFolder;
    const bool writable = QFileInfo(executableFolder).isWritable();
    const bool hasSettings =
        QFileInfo(joinPath(executableFolder, QStringLiteral("KIRAMO.INI"))).isFile();
    folders.settings = (writable || hasSettings) ? executableFolder : configFolder;
    // The bitmap's name is fixed: beside the executable only where no one else can plant it.
    folders.temporary =
        writable && isOwnFolder(executableFolder) ? executableFolder : runtimeFolder;
    folders.runtime = runtimeFolder;
    folders.config = configFolder;
    folders.cache = runtimeFolder;
    folders.windows = windowsFolder.isEmpty() ? configFolder : windowsFolder;
    return folders;
}

AppFolders AppFolders::forThisProgram() {
    const QString config =
        QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
            .filePath(QStringLiteral("KIRAMO"));
    // The help page and the handed-off bitmap go where only this user can reach: the session's
    // runtime folder when there is one. Without it Qt falls back to a name in the shared temp
    // folder, as the temp folder itself would be, where another user can make the name first;
    // the user's cache folder stands in instead.
    QString runtime;
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    }
    if (runtime.isEmpty()) {
        runtime = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    }
    runtime = QDir(runtime).filePath(QStringLiteral("KIRAMO"));
    QString windows;
#ifdef Q_OS_WIN
    wchar_t buffer[MAX_PATH + 1] = {};
    const UINT length = GetWindowsDirectoryW(buffer, MAX_PATH);
    if (length > 0 && length <= MAX_PATH) {
        windows = QString::fromWCharArray(buffer, static_cast<int>(length));
    }
#endif
    AppFolders folders = resolve(QCoreApplication::applicationDirPath(), config, runtime, windows);
    // Kept between runs and sessions: not the runtime folder, which the session's end clears.
    folders.cache = QDir(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation))
                        .filePath(QStringLiteral("KIRAMO"));
    return folders;
}

QString AppFolders::settingsFile() const {
    return joinPath(settings, QStringLiteral("KIRAMO.INI"));
}

QString AppFolders::winIniFile() const {
    return joinPath(windows, QStringLiteral("WIN.INI"));
}

QString AppFolders::temporaryBitmap() const {
    return joinPath(temporary, QStringLiteral("$KIRTMP$.bmp"));
}

QString AppFolders::userSettingsFile() const {
    return joinPath(config, QStringLiteral("kiramo.conf"));
}

QString AppFolders::lastPictureFile() const {
    return joinPath(cache, QStringLiteral("last-picture.png"));
}

bool removeTemporaryBitmap(const QString& path) {
    const QFileInfo info(path);
    if (info.isSymLink() || !info.isFile()) {
        return false;
    }
    return QFile::remove(path);
}

}  // namespace kiramo
