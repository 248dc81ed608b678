#include "exchange/Clipboard.h"

#include "canvas/Workspace.h"
#include "platform/Prompts.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPainter>

namespace kiramo {

namespace {

// A picture with transparent parts is laid on white, as most programs show it.
QImage opaque(const QImage& image) {
    if (!image.hasAlphaChannel()) {
        return image;
    }
    QImage flat(image.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    QPainter painter(&flat);
    painter.drawImage(0, 0, image);
    return flat;
}

}  // namespace

void copyCommand(Workspace& workspace) {
    // The selection's block (the selection then ends), or the whole canvas with its grid lines.
    const QImage picture = workspace.selectedImage();
    if (picture.isNull()) {
        // A selection that covers no whole pixel: the clipboard keeps what it holds.
        workspace.services.prompts.beep();
        return;
    }
    workspace.hideSelection();
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setImage(picture);
}

void pasteCommand(Workspace& workspace) {
    // Whatever cannot be turned into a picture counts as no picture.
    pastePicture(workspace, QGuiApplication::clipboard()->image());
}

void pastePicture(Workspace& workspace, const QImage& picture) {
    if (picture.isNull()) {
        workspace.services.prompts.beep();
        return;
    }
    workspace.hideSelection();
    workspace.showNewPicture(opaque(picture), std::nullopt);
}

}  // namespace kiramo
