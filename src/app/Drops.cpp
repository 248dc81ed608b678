#include "app/Drops.h"

#include "canvas/Workspace.h"
#include "exchange/Clipboard.h"
#include "files/ImageFiles.h"
#include "platform/NativeNames.h"
#include "platform/Prompts.h"

#include <QMimeData>
#include <QUrl>

namespace kiramo {

Drop whatIsDropped(const QMimeData& data) {
    Drop drop;
    if (data.hasUrls() && data.urls().constFirst().isLocalFile()) {
        const QString path = localFileOf(data.urls().constFirst());
        if (canLoadPicture(path)) {
            drop.kind = Drop::Kind::PictureFile;
            drop.path = path;
        }
        return drop;
    }
    drop.data = pictureOfMimeData(data);
    if (!drop.data.picture.isNull()) {
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
        pastePicture(workspace, drop.data);
        return true;
    case Drop::Kind::Nothing:
        break;
    }
    workspace.prompts().beep();
    if (!drop.data.refusal.isEmpty()) {
        workspace.prompts().showMessage(drop.data.refusal);
    }
    return false;
}

}  // namespace kiramo
