#include "files/LastPicture.h"

#include "canvas/BackgroundWork.h"
#include "canvas/Workspace.h"
#include "core/PngEncoder.h"
#include "core/WorkProgress.h"
#include "files/ImageFiles.h"
#include "platform/FileChecks.h"
#include "platform/FileReplacement.h"
#include "platform/Prompts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTimer>

namespace kiramo {

namespace {

// Writes `picture` as the kept picture at `path`, whole or not at all. Runs on any thread.
bool keep(const QImage& picture, const QString& path) {
    QString error;
    const QByteArray png = encodePng(picture, nullptr, &error);
    // A name of the program's own: a link put there is replaced, never followed.
    return !png.isEmpty() && replaceFileContents(path, png, &error, FollowLinks::No);
}

}  // namespace

LastPicture::LastPicture(Workspace& workspace)
    : m_workspace(workspace) {
    connect(&workspace, &Workspace::canvasChanged, this, &LastPicture::changed);
}

LastPicture::~LastPicture() {
    waitForWrites();
}

void LastPicture::changed() {
    // Looked at once the command is over: a load marks its new picture saved after the change.
    if (m_scheduled) {
        return;
    }
    m_scheduled = true;
    QTimer::singleShot(0, this, [this] {
        m_scheduled = false;
        const qint64 work = m_sinceKept.isValid()
                                ? std::min(m_sinceKept.elapsed(), m_workspace.msSinceSaved())
                                : m_workspace.msSinceSaved();
        if (m_workspace.hasUnsavedChanges() && work >= m_autosaveAfterMs) {
            startWrite();
        }
    });
}

void LastPicture::startWrite() {
    if (m_writer && m_writer->isRunning()) {
        m_again = true;
        return;
    }
    m_sinceKept.start();
    const QString path = m_workspace.folders().lastPictureFile();
    QString reason;
    if (!makePrivateFolder(m_workspace.folders().cache, &reason)) {
        return;  // nowhere to keep it: the work is not lost by that, only not kept
    }
    const QImage picture = m_workspace.picture();  // the thread's own handle on the pixels
    m_writer.reset(QThread::create([picture, path] { keep(picture, path); }));
    connect(m_writer.get(), &QThread::finished, this, &LastPicture::writeEnded);
    m_writer->start();
}

void LastPicture::writeEnded() {
    if (m_again) {
        m_again = false;
        startWrite();
    }
}

void LastPicture::waitForWrites() {
    if (m_writer) {
        m_writer->wait();
    }
}

void LastPicture::keepAtExit() {
    m_again = false;
    waitForWrites();
    if (!m_workspace.hasUnsavedChanges()) {
        return;
    }
    QString reason;
    if (makePrivateFolder(m_workspace.folders().cache, &reason)) {
        keep(m_workspace.picture(), m_workspace.folders().lastPictureFile());
    }
}

bool LastPicture::exists() const {
    return QFileInfo(m_workspace.folders().lastPictureFile()).isFile();
}

void LastPicture::restore() {
    const QString path = m_workspace.folders().lastPictureFile();
    if (!exists()) {
        m_workspace.prompts().showMessage(
            QCoreApplication::translate("LastPicture", "復元できる前回の画像がありません"));
        return;
    }
    QString error;
    QImage picture;
    WorkProgress progress;
    runOffUiThread(m_workspace.prompts(),
                   QCoreApplication::translate("ImageFiles", "%1 を読み込んでいます...")
                       .arg(QDir::toNativeSeparators(path)),
                   progress, [&] { picture = readPictureFile(path, &error, &progress); });
    if (progress.abandoned()) {
        return;
    }
    if (picture.isNull()) {
        m_workspace.prompts().showMessage(error);
        return;
    }
    // Untitled and unsaved: the file it came from is ours, not the user's. One step for Undo,
    // named as the File menu names the command.
    m_workspace.replacePicture(
        picture, QStringLiteral("Untitled (%1x%2)").arg(picture.width()).arg(picture.height()),
        "前回の画像を復元(&L)", QString());
}

}  // namespace kiramo
