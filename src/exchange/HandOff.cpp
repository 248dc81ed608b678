#include "exchange/HandOff.h"

#include "canvas/Workspace.h"
#include "core/PictureFile.h"
#include "platform/FileChecks.h"
#include "platform/FileReplacement.h"
#include "platform/ProgramStarter.h"
#include "platform/Prompts.h"
#include "platform/WaitCursor.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kiramo {

namespace {

// Writes `image` to the temporary bitmap, replacing the last one. Reports a failure to the user
// and returns nothing.
std::optional<QString> writeTemporaryBitmap(Workspace& workspace, const QImage& image) {
    const AppFolders& folders = workspace.folders();
    const QString path = folders.temporaryBitmap();
    // Beside the executable the folder is the user's own (see AppFolders::resolve); in the
    // runtime folder the name is fixed, so the folder must be one that no one else can plant a
    // link in.
    QString error;
    const bool ready = folders.temporary == folders.runtime
                           ? makePrivateFolder(folders.temporary, &error)
                           : makeFolders(folders.temporary, &error);
    QByteArray contents;
    if (ready) {
        contents = encodePictureFile(path, image, &error);  // "$KIRTMP$.bmp": a bitmap
        if (contents.isEmpty()) {
            error = cannotWriteMessage(path, error);
        }
    }
    // A link at the fixed name is not followed, whoever made it: it is replaced.
    if (contents.isEmpty() || !replaceFileContents(path, contents, &error, FollowLinks::No)) {
        workspace.prompts().beep();
        workspace.prompts().showMessage(error);  // names the file or its folder
        return std::nullopt;
    }
    return path;
}

// The bitmap editor's command, or nothing (with the Open command's message) when no program
// is associated with ".BMP".
std::optional<QString> bitmapEditor(Workspace& workspace) {
    const QString command = workspace.associatedCommand(QStringLiteral(".BMP"));
    if (command.isEmpty()) {
        workspace.prompts().beep();
        workspace.prompts().showMessage(QCoreApplication::translate(
            "HandOff", "該当する拡張子 [BMP] が関連付けされていません"));
        return std::nullopt;
    }
    return command;
}

void sendImage(Workspace& workspace, const QImage& image) {
    const std::optional<QString> command = bitmapEditor(workspace);
    if (!command) {
        return;
    }
    std::optional<QString> path;
    {
        const WaitCursor hourglass;
        path = writeTemporaryBitmap(workspace, image);
    }
    if (path) {
        const CommandLine line = commandWithFile(*command, *path, workspace.folders().windows);
        workspace.startProgram(line.program, line.arguments);
    }
}

}  // namespace

QString helpPageName() {
    return QCoreApplication::translate("HandOff", "help.html",
                                       "the file name of the help page in this language");
}

QUrl supportPageUrl(const QString& executableFolder) {
    return QUrl::fromLocalFile(QDir::cleanPath(QDir(executableFolder)
                                                   .filePath(QLatin1String(kSupportFolder))
                                                   .append(u'/')
                                                   .append(helpPageName())));
}

void sendBitmap(Workspace& workspace) {
    sendImage(workspace, workspace.picture());
}

void sendSelectedBitmap(Workspace& workspace) {
    if (!workspace.hasSelection()) {
        return;  // the command is only enabled with a selection
    }
    const QImage picture = workspace.selectedImage();
    if (picture.isNull()) {
        workspace.prompts().beep();  // the selection covers no whole pixel
        return;
    }
    sendImage(workspace, picture);
}

void sendToOrbello(Workspace& workspace) {
    const QString program =
        QDir(workspace.folders().executable).filePath(QStringLiteral("ORBELLO"));
    std::optional<QString> file = workspace.currentFile();
    if (file->isEmpty()) {
        const WaitCursor hourglass;
        file = writeTemporaryBitmap(workspace, workspace.picture());
    }
    if (file) {
        workspace.startProgram(program, {*file});
    }
}

void openSupportPage(Workspace& workspace) {
    const AppFolders& folders = workspace.folders();
    Prompts& prompts = workspace.prompts();
    QString page = supportPageUrl(folders.executable).toLocalFile();
    if (!QFileInfo(page).isFile()) {
        page = joinPath(folders.runtime, helpPageName());
        QString reason;
        QFile source(QStringLiteral(":/") + helpPageName());
        bool written = makePrivateFolder(folders.runtime, &reason);
        if (written) {
            QFile::remove(page);  // an older copy, which QFile::copy would not replace
            written = source.copy(page);
            reason =
                QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(page), source.errorString());
        }
        if (!written) {
            prompts.beep();
            prompts.showMessage(
                QCoreApplication::translate("HandOff", "ヘルプのページを書き出せません。\n%1")
                    .arg(reason));
            return;
        }
        QFile::setPermissions(page, QFile::ReadOwner | QFile::WriteOwner);
    }
    if (!workspace.programs().openUrl(QUrl::fromLocalFile(page))) {
        prompts.beep();
        prompts.showMessage(
            QCoreApplication::translate(
                "HandOff", "ブラウザを起動できません。ヘルプのページはここにあります:\n%1")
                .arg(QDir::toNativeSeparators(page)));
    }
}

}  // namespace kiramo
