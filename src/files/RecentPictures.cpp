#include "files/RecentPictures.h"

#include "canvas/Workspace.h"
#include "core/RecentFiles.h"

#include <QFileInfo>
#include <QSettings>

namespace kiramo {

namespace {

const QString kKey = QStringLiteral("Files/recent");

void store(const Workspace& workspace, const QStringList& list) {
    QSettings settings(workspace.folders().userSettingsFile(), QSettings::IniFormat);
    settings.setValue(kKey, list);
}

}  // namespace

QStringList recentPictures(const Workspace& workspace) {
    const QSettings settings(workspace.folders().userSettingsFile(), QSettings::IniFormat);
    return recentFileList(settings.value(kKey).toStringList());
}

void rememberRecentPicture(const Workspace& workspace, const QString& path) {
    // A name from the command line is relative to the folder the program was started in.
    store(workspace, pushRecentFile(recentPictures(workspace), QFileInfo(path).absoluteFilePath()));
}

void clearRecentPictures(const Workspace& workspace) {
    store(workspace, QStringList());
}

}  // namespace kiramo
