#include "files/ImageFiles.h"

#include "core/BitmapCodec.h"
#include "core/PictureFile.h"

#include "canvas/Surface.h"
#include "canvas/Workspace.h"
#include "core/FileNames.h"
#include "core/NumberText.h"
#include "platform/Prompts.h"
#include "platform/WaitCursor.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QSaveFile>

#include <cmath>
#include <optional>

namespace kiramo {

namespace {

QString tooLargeError(QSize size) {
    return QStringLiteral("The picture is too large: %1 x %2 pixels (at most %3 x %3)")
        .arg(size.width())
        .arg(size.height())
        .arg(kMaxPictureSide);
}

bool isTooLarge(QSize size) {
    return size.width() > kMaxPictureSide || size.height() > kMaxPictureSide;
}

}  // namespace

QImage decodePicture(QIODevice& device, QString* error) {
    if (isBitmapSignature(device.peek(2))) {
        return decodeBitmap(device, error);
    }
    QImageReader reader(&device);
    reader.setAllocationLimit(kLoadLimitMegabytes);
    reader.setAutoTransform(false);
    if (const QSize claimed = reader.size(); claimed.isValid() && isTooLarge(claimed)) {
        *error = tooLargeError(claimed);
        return QImage();
    }
    QImage picture = reader.read();
    if (picture.isNull()) {
        *error = reader.errorString();
        if (error->isEmpty()) {
            *error = QStringLiteral("The file is not a picture that the program can read");
        }
        return QImage();
    }
    if (isTooLarge(picture.size())) {  // a decoder that did not tell its size beforehand
        *error = tooLargeError(picture.size());
        return QImage();
    }
    return picture.convertToFormat(QImage::Format_RGB32);
}

QImage readPictureFile(const QString& path, QString* error) {
    // Opening a pipe would wait for a writer, and a device may never end: both are refused by
    // their type, before anything opens them.
    const QFileInfo info(path);
    const QString name = QDir::toNativeSeparators(path);
    if (info.isDir()) {
        *error = QStringLiteral("%1 is a folder, not a picture file").arg(name);
        return QImage();
    }
    if (info.exists() && !info.isFile()) {
        *error = QStringLiteral("%1 is not a picture file but a device or a pipe").arg(name);
        return QImage();
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("%1 cannot be opened: %2").arg(name, file.errorString());
        return QImage();
    }
    return decodePicture(file, error);
}

bool canLoadPicture(const QString& path) {
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
        return false;  // a pipe is never opened: that would wait for a writer
    }
    if (isBitmapSignature(file.peek(2))) {
        return true;
    }
    QImageReader reader(&file);
    return reader.canRead();
}

void LoadCanvasImage(Workspace& workspace, const QString& path) {
    std::optional<WaitCursor> hourglass(std::in_place);
    workspace.P1->hide();
    const QSize emptySize = workspace.P1->imageSize();
    workspace.P1->setImage(QImage());  // the old picture goes before the new one is decoded

    QString error;
    const QImage picture = readPictureFile(path, &error);
    if (picture.isNull()) {
        workspace.state.CurrentFile.clear();
        workspace.setCaption(QString());
        workspace.P1->clear(emptySize);
        workspace.P1->show();
        hourglass.reset();
        workspace.services.prompts.showMessage(error);
        return;
    }
    const QString subject = fileSubject(path, picture.size());
    workspace.state.CurrentFile = path;
    workspace.P1->show();
    workspace.showNewPicture(picture, subject);
}

void SaveImageFile(Workspace& workspace, const QString& name) {
    Prompts& prompts = workspace.services.prompts;
    if (!workspace.mayReplace(name)) {
        return;
    }
    QString error;
    if (!writePictureFile(name, workspace.P1->image(), &error)) {
        prompts.beep();
        prompts.showMessage(error);
        return;
    }
    workspace.state.CurrentFile = name;
    workspace.setCaption(fileSubject(name, workspace.P1->imageSize()));
}

}  // namespace kiramo
