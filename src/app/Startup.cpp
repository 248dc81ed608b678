#include "app/Startup.h"

#include "app/Form1.h"
#include "files/FileCommands.h"
#include "platform/FileChecks.h"
#include "platform/FileReplacement.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kiramo {

namespace {

// What a fresh KIRAMO.INI holds: a note on the format in English and Japanese, then the usual
// papers and canvases. Only lines that start with "@" are read; the character after the "@" is
// dropped, hence "@ ". Sizes are centimetres; the first is the height, so each paper here is
// upright, as "@ A4 29.7x21" is (Shift turns it). A name may not hold a lower-case "x" (the
// sizes' separator), hence "8X10in".
constexpr char kDefaultSettings[] =
    "; KIRAMO capture modes, up to 30, one a line: @ name widthxheight\r\n"
    "; in centimetres with a lower-case x; the first size leads: \"@ A4 29.7x21\" is upright.\r\n"
    "; Lines not starting with @ are ignored.\r\n"
    "; KIRAMO の用紙サイズ (30 個まで)。1 行に 1 つ: @ 名前 幅x高さ\r\n"
    "; 単位は cm、x は小文字。最初の寸法が縦: \"@ A4 29.7x21\" は縦長。\r\n"
    "; @ で始まらない行は読まれません。\r\n"
    "@ A3 42x29.7\r\n"
    "@ A4 29.7x21\r\n"
    "@ A5 21x14.8\r\n"
    "@ B4 36.4x25.7\r\n"
    "@ B5 25.7x18.2\r\n"
    "@ Letter 27.9x21.6\r\n"
    "@ Legal 35.6x21.6\r\n"
    "@ F4 33.3x24.2\r\n"
    "@ F6 41x31.8\r\n"
    "@ F8 45.5x38\r\n"
    "@ F10 53x45.5\r\n"
    "@ 8X10in 25.4x20.3\r\n"
    "@ 11X14in 35.6x27.9\r\n"
    "@ 16X20in 50.8x40.6\r\n";

// Opens `file` for reading, creating it first, holding `initial`, when there is none. An
// existing file, also an empty one, is only ever opened for reading, never for writing: a settings
// file that the user may not write (one an administrator placed read-only beside an installed copy)
// is read all the same, and stays exactly as it was. Only a regular file is read: a pipe or a
// device in its place would hold start-up up before the window ever shows.
bool openOrCreate(QFile& file, QString* error, const QByteArray& initial = QByteArray()) {
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
        if (created.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            created.close();
            // Only the file just made is filled, and as a whole: a kill leaves it empty or
            // complete, never half a line.
            if (!initial.isEmpty() && !replaceFileContents(path, initial, &reason)) {
                QFile::remove(path);
                return cannotCreate(reason);
            }
        } else if (!QFileInfo::exists(path)) {
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
    if (!openOrCreate(file, error, QByteArray(kDefaultSettings))) {
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
