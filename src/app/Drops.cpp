#include "app/Drops.h"

#include "canvas/Workspace.h"
#include "exchange/Clipboard.h"
#include "files/ImageFiles.h"
#include "platform/Prompts.h"

#include <QBuffer>
#include <QImageReader>
#include <QMimeData>
#include <QUrl>

namespace kiramo {

namespace {

// The first image/* entry of `data` that Qt's decoders read, within the loader's memory limit.
QImage decodeImageData(const QMimeData& data) {
    for (const QString& format : data.formats()) {
        if (!format.startsWith(QLatin1String("image/"))) {
            continue;
        }
        QByteArray bytes = data.data(format);
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer);
        reader.setAllocationLimit(kLoadLimitMegabytes);
        if (QImage picture = reader.read(); !picture.isNull()) {
            return picture;
        }
    }
    return QImage();
}

}  // namespace

Drop whatIsDropped(const QMimeData& data) {
    Drop drop;
    if (data.hasUrls() && data.urls().constFirst().isLocalFile()) {
        const QString path = data.urls().constFirst().toLocalFile();
        if (canLoadPicture(path)) {
            drop.kind = Drop::Kind::PictureFile;
            drop.path = path;
        }
        return drop;
    }
    if (data.hasImage()) {
        drop.picture = qvariant_cast<QImage>(data.imageData());
    }
    if (drop.picture.isNull()) {
        drop.picture = decodeImageData(data);
    }
    if (!drop.picture.isNull()) {
        drop.kind = Drop::Kind::PictureData;
    }
    return drop;
}

bool dropCommand(Workspace& workspace, const QMimeData& data) {
    const Drop drop = whatIsDropped(data);
    switch (drop.kind) {
    case Drop::Kind::PictureFile:
        LoadCanvasImage(workspace, drop.path);
        return true;
    case Drop::Kind::PictureData:
        pastePicture(workspace, drop.picture);
        return true;
    case Drop::Kind::Nothing:
        break;
    }
    workspace.services.prompts.beep();
    return false;
}

}  // namespace kiramo
