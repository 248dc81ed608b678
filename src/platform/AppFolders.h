#pragma once

#include <QString>

namespace kiramo {

// "folder" + separator + "name", adding a separator only when the folder does not already end
// with "/" or "\" (both separate folders).
[[nodiscard]] QString joinPath(const QString& folder, const QString& name);

// The folders the program keeps its files in.
struct AppFolders {
    QString executable;  // folder of the running executable
    QString settings;    // holds KIRAMO.INI
    QString windows;     // holds WIN.INI: the Windows folder on Windows, else the config folder
    QString temporary;   // holds the temporary bitmap handed to other programs
    QString runtime;     // the user's runtime (or cache) folder for KIRAMO; made private on use
    QString config;      // the user's config folder for KIRAMO; holds kiramo.conf
    // The user's cache folder for KIRAMO (the runtime folder unless forThisProgram says
    // otherwise): the last picture, kept between runs; made private on use.
    QString cache;

    // The settings live beside the executable. When that folder is not writable and holds no
    // KIRAMO.INI (a copy installed into a system folder), they live in `configFolder` instead;
    // the temporary bitmap then goes to `runtimeFolder`, as it does when the executable's
    // folder is not the user's own (isOwnFolder). Nothing is created here.
    [[nodiscard]] static AppFolders resolve(const QString& executableFolder,
                                            const QString& configFolder,
                                            const QString& runtimeFolder,
                                            const QString& windowsFolder);

    // The folders of this process: its executable, the user's config folder for KIRAMO, the
    // user's runtime (or cache) folder for KIRAMO, and the Windows folder on Windows.
    [[nodiscard]] static AppFolders forThisProgram();

    [[nodiscard]] QString settingsFile() const;
    [[nodiscard]] QString winIniFile() const;
    [[nodiscard]] QString temporaryBitmap() const;
    // The program's own preferences, apart from KIRAMO.INI: kiramo.conf in the config folder,
    // an INI file that QSettings reads and writes.
    [[nodiscard]] QString userSettingsFile() const;
    // last-picture.png in the cache folder.
    [[nodiscard]] QString lastPictureFile() const;
};

// Removes the temporary bitmap if an ordinary file of that name exists; a folder, or a link
// (and whatever it points to), is left alone. True when a file was removed.
bool removeTemporaryBitmap(const QString& path);

}  // namespace kiramo
