#include "files/ImageFiles.h"

#include "core/BitmapCodec.h"
#include "core/PictureFile.h"

#include "canvas/BackgroundWork.h"
#include "canvas/Workspace.h"
#include "core/FileNames.h"
#include "core/WorkProgress.h"
#include "files/RecentPictures.h"
#include "platform/FileChecks.h"
#include "platform/FileReplacement.h"
#include "platform/Logging.h"
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

namespace {

// Reads through to an open file, counting what it read into a progress, and failing once the
// progress is abandoned, so that a decoder stops early.
class WatchedReader final : public QIODevice {
public:
    WatchedReader(QFile& file, WorkProgress& progress)
        : m_file(file)
        , m_progress(progress) {
        m_progress.setTotal(file.size());
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);  // every read at pos(), from the file
    }
    bool isSequential() const override { return false; }
    qint64 size() const override { return m_file.size(); }
    bool seek(qint64 pos) override { return QIODevice::seek(pos) && m_file.seek(pos); }

protected:
    qint64 readData(char* data, qint64 size) override {
        if (m_progress.abandoned()) {
            return -1;
        }
        const qint64 n = m_file.read(data, size);
        if (n > 0) {
            m_progress.advance(n);
        }
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QFile& m_file;
    WorkProgress& m_progress;
};

}  // namespace

QImage readPictureFile(const QString& path, QString* error, WorkProgress* progress) {
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
    QImage picture;
    if (progress != nullptr) {
        WatchedReader watched(file, *progress);
        picture = decodePicture(watched, &reason);
    } else {
        picture = decodePicture(file, &reason);
    }
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
    QImage picture;
    WorkProgress progress;
    runOffUiThread(workspace.prompts(),
                   QCoreApplication::translate("ImageFiles", "%1 を読み込んでいます...")
                       .arg(QDir::toNativeSeparators(path)),
                   progress, [&] { picture = readPictureFile(path, &error, &progress); });
    if (progress.abandoned()) {
        return;  // cancelled: everything stays as it was
    }
    if (picture.isNull()) {
        qCInfo(lcFiles) << "load failed:" << error;
        hourglass.reset();
        workspace.prompts().showMessage(error);
        return;
    }
    qCInfo(lcFiles) << "loaded" << path << picture.size() << picture.format();
    const QString subject = fileSubject(path, picture.size());
    workspace.replacePicture(picture, subject, "&Open...", path);
    rememberRecentPicture(workspace, path);
}

void SaveImageFile(Workspace& workspace, const QString& name) {
    if (workspace.mayReplace(name)) {
        writeCanvasFile(workspace, name);
    }
}

bool writeCanvasFile(Workspace& workspace, const QString& name) {
    Prompts& prompts = workspace.prompts();
    // The worker reads its own handle on the pixels: what the window draws meanwhile gets a
    // copy of its own (QImage copies on write).
    const QImage picture = workspace.picture();
    const quint64 state = workspace.history().stateId();
    QString error;
    bool written = false;
    bool cancelled = false;  // stopped by Cancel before the file was touched
    WorkProgress progress;
    runOffUiThread(prompts,
                   QCoreApplication::translate("ImageFiles", "%1 を保存しています...")
                       .arg(QDir::toNativeSeparators(name)),
                   progress,
                   [&] {
        const QByteArray contents = encodePictureFile(name, picture, &error, &progress);
        if (contents.isEmpty()) {
            cancelled = progress.abandoned();
            error = cannotWriteMessage(name, error);
            return;
        }
        written =
            replaceFileContents(name, contents, &error, FollowLinks::Yes, &progress.abandonFlag());
        // A write in place is not abandoned once begun: a failure there is told even after a
        // Cancel, as it may have cost the old contents.
        cancelled = !written && error == cannotWriteMessage(name, abandonedReason());
    });
    if (cancelled) {
        return false;  // the old file is as it was, and the user knows why
    }
    if (!written) {
        qCInfo(lcFiles) << "save failed:" << error;
        prompts.beep();
        prompts.showMessage(error);
        return false;
    }
    qCInfo(lcFiles) << "saved" << name;
    if (workspace.history().stateId() != state) {
        // The canvas changed while the file was written (a picture dropped meanwhile): the file
        // holds the canvas as it was, so what the canvas shows now is neither saved nor from it.
        qCInfo(lcFiles) << "the canvas changed during the save";
        rememberRecentPicture(workspace, name);
        return true;
    }
    workspace.setCurrentFile(name);
    workspace.markSaved();
    workspace.setCaption(fileSubject(name, workspace.pictureSize()));
    rememberRecentPicture(workspace, name);
    return true;
}

}  // namespace kiramo
