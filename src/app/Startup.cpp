#include "app/Startup.h"

#include "app/Form1.h"
#include "files/FileCommands.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kiramo {

namespace {

// Creates an empty file when none exists; an existing one is opened and closed untouched.
bool ensureFileExists(const QString& path, QString* error) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite)) {
        *error = file.errorString();
        return false;
    }
    return true;
}

// Opens `path` for reading, creating an empty file first when there is none.
bool openOrCreate(QFile& file, QString* error) {
    QString reason;
    if (!ensureFileExists(file.fileName(), &reason)) {
        *error = QStringLiteral("%1 を作成できません。\n%2").arg(file.fileName(), reason);
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("%1 を開けません。\n%2").arg(file.fileName(), file.errorString());
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
