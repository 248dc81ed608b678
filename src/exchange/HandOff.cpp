#include "exchange/HandOff.h"

#include "app/Form1.h"
#include "canvas/Surface.h"
#include "exchange/Clipboard.h"
#include "files/BitmapFile.h"
#include "files/FileCommands.h"
#include "platform/ProgramStarter.h"
#include "platform/Prompts.h"
#include "platform/WaitCursor.h"

#include <QDir>

namespace kiramo {

namespace {

// Writes `image` to the temporary bitmap, replacing the last one. Reports a failure to the user
// and returns nothing.
std::optional<QString> writeTemporaryBitmap(Form1& form, const QImage& image) {
    const QString path = form.services.folders.temporaryBitmap();
    QDir().mkpath(form.services.folders.temporary);
    QString error;
    if (!writeBitmapFile(path, image, &error)) {
        form.services.prompts.beep();
        form.services.prompts.showMessage(error);
        return std::nullopt;
    }
    return path;
}

// The bitmap editor's command, or nothing (with the Open command's message) when no program
// is associated with ".BMP".
std::optional<QString> bitmapEditor(Form1& form) {
    const QString command = form.state.associations.lookup(QStringLiteral(".BMP"));
    if (command.isEmpty()) {
        form.services.prompts.beep();
        form.services.prompts.showMessage(
            QStringLiteral("該当する拡張子 [BMP] が関連付けされていません"));
        return std::nullopt;
    }
    return command;
}

void start(Form1& form, const QString& program, const QStringList& arguments) {
    if (!form.services.programs.startDetached(program, arguments)) {
        form.services.prompts.beep();
        form.services.prompts.showMessage(program + QStringLiteral(" を起動できません"));
    }
}

void sendImage(Form1& form, const QImage& image) {
    const std::optional<QString> command = bitmapEditor(form);
    if (!command) {
        return;
    }
    std::optional<QString> path;
    {
        const WaitCursor hourglass;
        path = writeTemporaryBitmap(form, image);
    }
    if (path) {
        const CommandLine line = commandWithFile(*command, *path);
        start(form, line.program, line.arguments);
    }
}

}  // namespace

QUrl supportPageUrl(const QString& executableFolder) {
    return QUrl::fromLocalFile(
        QDir::cleanPath(QDir(executableFolder).filePath(QLatin1String(kSupportPage))));
}

void sendBitmap(Form1& form) {
    sendImage(form, form.P1->image());
}

void sendSelectedBitmap(Form1& form) {
    if (!form.hasSelection()) {
        return;  // the command is only enabled with a selection
    }
    cutSelection(form);
    sendImage(form, form.P4);
}

void sendToOrbello(Form1& form) {
    const QString program =
        QDir(form.services.folders.executable).filePath(QStringLiteral("ORBELLO"));
    std::optional<QString> file = form.state.CurrentFile;
    if (file->isEmpty()) {
        const WaitCursor hourglass;
        file = writeTemporaryBitmap(form, form.P1->image());
    }
    if (file) {
        start(form, program, {*file});
    }
}

void openSupportPage(Form1& form) {
    form.services.programs.openUrl(supportPageUrl(form.services.folders.executable));
}

}  // namespace kiramo
