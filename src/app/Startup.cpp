#include "app/Startup.h"

#include "app/Form1.h"
#include "files/FileCommands.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kiramo {

namespace {

// Opens `file` for reading, creating it empty first when there is none. An existing file is
// only ever opened for reading, never for writing: a settings file that the user may not write
// (one an administrator placed read-only beside an installed copy) is read all the same, and
// stays exactly as it was.
bool openOrCreate(QFile& file, QString* error) {
    const QString path = file.fileName();
    if (!QFileInfo::exists(path)) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile created(path);
        // NewOnly: a file that appeared meanwhile is read below, not truncated here.
        if (!created.open(QIODevice::WriteOnly | QIODevice::NewOnly) && !QFileInfo::exists(path)) {
            *error = QCoreApplication::translate("Startup", "%1 を作成できません。\n%2")
                         .arg(path, created.errorString());
            return false;
        }
    }
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QCoreApplication::translate("Startup", "%1 を開けません。\n%2")
                     .arg(path, file.errorString());
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
