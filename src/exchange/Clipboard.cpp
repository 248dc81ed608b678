#include "exchange/Clipboard.h"

#include "canvas/Workspace.h"
#include "core/PictureIntake.h"
#include "platform/Prompts.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImageReader>
#include <QMimeData>

namespace kiramo {

void copyCommand(Workspace& workspace) {
    // The selection's block (the selection then ends), or the whole canvas with its grid lines.
    const QImage picture = workspace.selectedImage();
    if (picture.isNull()) {
        // A selection that covers no whole pixel: the clipboard keeps what it holds.
        workspace.prompts().beep();
        return;
    }
    workspace.hideSelection();
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setImage(picture);
}

void pasteCommand(Workspace& workspace) {
    // Whatever cannot be turned into a picture counts as no picture.
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    pastePicture(workspace, data ? pictureOfMimeData(*data) : PictureData());
}

PictureData pictureOfMimeData(const QMimeData& data) {
    PictureData result;
    QString error;
    // The platform decodes the clipboard's picture under Qt's memory limit for one picture,
    // the same as a file's.
    usePictureMemoryLimit();
    if (data.hasImage()) {
        const QImage platform = qvariant_cast<QImage>(data.imageData());
        if (!platform.isNull()) {
            result.picture = admitPicture(platform, &error);
            if (result.picture.isNull()) {
                result.refusal = error;
            }
            return result;
        }
    }
    for (const QString& format : data.formats()) {
        if (!format.startsWith(QLatin1String("image/"))) {
            continue;
        }
        QByteArray bytes = data.data(format);
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        if (const QSize claimed = QImageReader(&buffer).size(); claimed.isValid()) {
            if (QString refused = pictureSizeError(claimed); !refused.isEmpty()) {
                result.refusal = refused;
                continue;
            }
        }
        buffer.seek(0);
        if (QImage picture = decodePicture(buffer, &error); !picture.isNull()) {
            result.picture = std::move(picture);
            result.refusal.clear();
            return result;
        }
    }
    return result;
}

void pastePicture(Workspace& workspace, const PictureData& data) {
    if (data.picture.isNull()) {
        workspace.prompts().beep();
        if (!data.refusal.isEmpty()) {
            workspace.prompts().showMessage(data.refusal);
        }
        return;
    }
    workspace.hideSelection();
    workspace.replacePicture(data.picture, std::nullopt, "&Paste");
}

}  // namespace kiramo
