#include "files/FileCommands.h"

#include "canvas/Workspace.h"
#include "core/FileNames.h"
#include "core/PictureTypes.h"
#include "files/ImageFiles.h"
#include "platform/ProgramStarter.h"
#include "platform/Prompts.h"
#include "platform/WaitCursor.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>

namespace kiramo {

void openCommand(Workspace& workspace) {
    FileDialogRequest request;
    request.title = QCoreApplication::translate("FileCommands", "ファイルを開く");
    request.filters = parseFilterText(
        QCoreApplication::translate("FileCommands", "ﾋﾞｯﾄﾏｯﾌﾟ(*.bmp)|*.bmp|All Files (*.*)|*.*|"));
    // Ahead of those, and chosen: every picture that Open loads.
    request.filters.prepend(
        FileFilter{QCoreApplication::translate("FileCommands", "画像"),
                   picturePatterns(QImageReader::supportedImageFormats()).join(u' ')});
    request.selectedFilter = 0;
    request.defaultSuffix = QStringLiteral("bmp");
    request.initialName = QStringLiteral("image");
    request.initialFolder = QDir::currentPath();
    const std::optional<QString> chosen = workspace.prompts().askOpenFileName(request);
    if (!chosen) {
        return;
    }
    // The next Open dialog starts in the folder used last.
    QDir::setCurrent(QFileInfo(*chosen).absolutePath());
    const QString file = trimBlanks(*chosen);
    const QString key = extensionKey(file);
    if (key == QLatin1String(".BMP")) {
        LoadCanvasImage(workspace, file);
        return;
    }
    const QString command = workspace.associatedCommand(key);
    if (command.isEmpty() && canLoadPicture(file)) {
        LoadCanvasImage(workspace, file);  // a picture the loader reads, as from the command line
        return;
    }
    if (command.isEmpty()) {
        workspace.prompts().beep();
        workspace.prompts().showMessage(
            QCoreApplication::translate("FileCommands",
                                        "該当する拡張子 [%1] が関連付けされていません")
                .arg(key.mid(1)));
        return;
    }
    startAssociated(workspace, command, file);
}

void startAssociated(Workspace& workspace, const QString& command, const QString& file) {
    const WaitCursor hourglass;
    const CommandLine line = commandWithFile(command, file, workspace.folders().windows);
    workspace.startProgram(line.program, line.arguments);
}

void saveAsCommand(Workspace& workspace) {
    FileDialogRequest request;
    request.title = QCoreApplication::translate("FileCommands", "保存");
    request.filters = parseFilterText(QCoreApplication::translate(
        "FileCommands", "ﾋﾞｯﾄﾏｯﾌﾟ (*.bmp)|*.bmp|PNG (*.png)|*.png|All Files (*.*)|*.*|"));
    request.selectedFilter = 0;
    request.defaultSuffix = QStringLiteral("bmp");
    request.initialName =
        workspace.currentFile().isEmpty() ? QStringLiteral("image") : workspace.currentFile();
    request.initialFolder = QDir::currentPath();
    const std::optional<QString> chosen = workspace.prompts().askSaveFileName(request);
    if (!chosen) {
        return;
    }
    SaveImageFile(workspace, trimBlanks(*chosen));
}

void saveCommand(Workspace& workspace) {
    if (workspace.currentFile().isEmpty()) {
        saveAsCommand(workspace);
        return;
    }
    writeCanvasFile(workspace, workspace.currentFile());
}

void loadCommandLine(Workspace& workspace, const QString& commandLine) {
    if (const std::optional<QString> path = commandLinePath(commandLine)) {
        LoadCanvasImage(workspace, *path);
    }
}

}  // namespace kiramo
