#include "files/ImageFiles.h"

#include "core/BitmapCodec.h"
#include "core/PictureFile.h"

#include "canvas/Workspace.h"
#include "core/FileNames.h"
#include "platform/FileChecks.h"
#include "platform/FileReplacement.h"
#include "platform/NativeNames.h"
#include "platform/Prompts.h"
#include "platform/WaitCursor.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include <optional>

namespace kiramo {

QImage readPictureFile(const QString& path, QString* error) {
    // Opening a pipe would wait for a writer, and a device may never end: both are refused by
    // their type, before anything opens them.
    const QString name = QDir::toNativeSeparators(path);
    switch (fileKind(path)) {
    case FileKind::Folder:
        *error = QCoreApplication::translate("ImageFiles",
                                             "%1 はフォルダーで、画像ファイルではありません")
                     .arg(name);
        return QImage();
    case FileKind::Other:
        *error = QCoreApplication::translate("ImageFiles",
                                             "%1 は画像ファイルではなく、デバイスかパイプです")
                     .arg(name);
        return QImage();
    case FileKind::Missing:
    case FileKind::Regular:
        break;
    }
    // Opened without blocking and checked again on what was opened: a pipe put in the file's
    // place since the look above is refused there.
    QFile file(path);
    QString reason;
    if (!openRegularFile(file, &reason)) {
        *error = QCoreApplication::translate("ImageFiles", "%1 を開けません: %2").arg(name, reason);
        return QImage();
    }
    QImage picture = decodePicture(file, &reason);
    if (picture.isNull()) {
        *error =
            QCoreApplication::translate("ImageFiles", "%1 を読み込めません: %2").arg(name, reason);
    }
    return picture;
}

bool canLoadPicture(const QString& path) {
    QFile file(path);
    QString reason;
    if (fileKind(path) != FileKind::Regular || !openRegularFile(file, &reason)) {
        return false;  // a pipe is never opened: that would wait for a writer
    }
    if (isBitmapSignature(file.peek(2))) {
        return true;
    }
    QImageReader reader(&file);
    return reader.canRead();
}

void LoadCanvasImage(Workspace& workspace, const QString& path) {
    // The picture is decoded before the canvas is touched: a load that fails keeps the canvas,
    // its grids, the committed copy (what Export PDF and Print put on paper), the caption and
    // the current file, so that Save As cannot write over the old file with an empty canvas.
    std::optional<WaitCursor> hourglass(std::in_place);
    QString error;
    const QImage picture = readPictureFile(path, &error);
    if (picture.isNull()) {
        hourglass.reset();
        workspace.prompts().showMessage(error);
        return;
    }
    const QString subject = fileSubject(path, picture.size());
    workspace.setCurrentFile(path);
    workspace.replacePicture(picture, subject);
}

void SaveImageFile(Workspace& workspace, const QString& name) {
    Prompts& prompts = workspace.prompts();
    if (!workspace.mayReplace(name)) {
        return;
    }
    QString error;
    const QByteArray contents = encodePictureFile(name, workspace.picture(), &error);
    if (contents.isEmpty()) {
        error = cannotWriteMessage(name, error);
    }
    if (contents.isEmpty() || !replaceFileContents(name, contents, &error)) {
        prompts.beep();
        prompts.showMessage(error);
        return;
    }
    workspace.setCurrentFile(name);
    workspace.setCaption(fileSubject(name, workspace.pictureSize()));
}

}  // namespace kiramo
