#include "exchange/Clipboard.h"

#include "app/Form1.h"
#include "canvas/SizeLabel.h"
#include "canvas/Surface.h"
#include "core/ImageBlock.h"
#include "platform/Prompts.h"

#include <QAction>
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

void cutSelection(Form1& form) {
    const ScreenMetrics& m = form.services.metrics;
    const QRect block = selectionBlock(form.L1->rect(), m.twipsPerPixelX, m.twipsPerPixelY);
    form.P4 = copyImageBlock(form.P1->image(), block.x(), block.y(), block.width(), block.height());
}

void copyCommand(Form1& form) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (form.hasSelection()) {
        cutSelection(form);
        clipboard->clear();
        clipboard->setImage(form.P4);
        form.L1->hide();
        return;
    }
    clipboard->clear();
    clipboard->setImage(form.P1->image());
}

void pasteCommand(Form1& form) {
    // Whatever cannot be turned into a picture counts as no picture.
    const QImage picture = QGuiApplication::clipboard()->image();
    if (picture.isNull()) {
        form.services.prompts.beep();
        return;
    }
    form.P1->setImage(opaque(picture));
    form.L1->hide();
    form.CommitCanvas();
    form.EnableImageCommands();
}

void editMenuOpening(Form1& form) {
    form.menus.MGridCM->setEnabled(form.state.ModeIndex != 0 && form.hasSelection());
}

}  // namespace kiramo
