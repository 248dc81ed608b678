#include "app/Startup.h"

#include "app/Form1.h"
#include "files/FileCommands.h"
#include "platform/FileChecks.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kiramo {

namespace {

// Opens `file` for reading, creating it empty first when there is none. An existing file is
// only ever opened for reading, never for writing: a settings file that the user may not write
// (one an administrator placed read-only beside an installed copy) is read all the same, and
// stays exactly as it was. Only a regular file is read: a pipe or a device in its place would
// hold start-up up before the window ever shows.
bool openOrCreate(QFile& file, QString* error) {
    const QString path = file.fileName();
    const auto cannotCreate = [&](const QString& reason) {
        *error =
            QCoreApplication::translate("Startup", "%1 を作成できません。\n%2").arg(path, reason);
        return false;
    };
    QString reason;
    if (!QFileInfo::exists(path)) {
        const QString dangling = danglingLinkNote(path);
        if (!dangling.isEmpty()) {
            return cannotCreate(dangling);
        }
        if (!makeFolders(QFileInfo(path).absolutePath(), &reason)) {
            return cannotCreate(reason);
        }
        QFile created(path);
        // NewOnly: a file that appeared meanwhile is read below, not truncated here.
        if (!created.open(QIODevice::WriteOnly | QIODevice::NewOnly) && !QFileInfo::exists(path)) {
            return cannotCreate(created.errorString());
        }
    }
    if (!openRegularFile(file, &reason)) {
        *error = QCoreApplication::translate("Startup", "%1 を開けません。\n%2").arg(path, reason);
        return false;
    }
    return true;
}

}  // namespace

bool readSettings(Form1& form, const QString& path, QString* error) {
    QFile file(path);
    if (!openOrCreate(file, error)) {
        return false;
    }
    form.workspace().state.modes = buildModeTable(readRawModeTexts(file));
    form.addModeItems();
    return true;
}

bool ReadAssociations(Form1& form, const QString& path, QString* error) {
    QFile file(path);
    if (!openOrCreate(file, error)) {
        return false;
    }
    form.workspace().state.associations = readAssociationTable(file);
    return true;
}

std::unique_ptr<Form1> startKiramo(const Services& services, const QString& commandLine,
                                   QString* error) {
    // Steps 1 to 3: the window is built with a blank canvas, its frame measured and its
    // start-up width fixed.
    auto form = std::make_unique<Form1>(services);
    // Steps 4 to 7: settings file and Mode menu.
    if (!readSettings(*form, services.folders.settingsFile(), error)) {
        return nullptr;
    }
    // Step 8: the caption names the current mode, "FreeSize".
    form->workspace().setCaption(QString());
    // Step 9: the association table.
    if (!ReadAssociations(*form, services.folders.winIniFile(), error)) {
        return nullptr;
    }
    // Step 10: the picture named on the command line.
    loadCommandLine(form->workspace(), commandLine);
    return form;
}

}  // namespace kiramo
