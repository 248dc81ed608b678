#include "core/ImageBlock.h"

#include <QPainter>

namespace kiramo {

QImage copyImageBlock(const QImage& source, int x, int y, int w, int h) {
    if (w <= 0 || h <= 0) {
        return QImage();
    }
    const QRect wanted(x, y, w, h);
    if (source.rect().contains(wanted)) {
        return source.copy(wanted).convertToFormat(QImage::Format_RGB32);
    }
    QImage block(w, h, QImage::Format_RGB32);
    if (block.isNull()) {
        return block;
    }
    block.fill(Qt::black);
    const QRect inside = wanted.intersected(source.rect());
    if (!inside.isEmpty()) {
        QPainter painter(&block);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(inside.topLeft() - wanted.topLeft(), source, inside);
    }
    return block;
}

}  // namespace kiramo
