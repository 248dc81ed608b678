#include "core/PictureIntake.h"

#include "core/BitmapCodec.h"

#include <QCoreApplication>
#include <QImageReader>
#include <QPainter>

namespace kiramo {

void usePictureMemoryLimit() {
    QImageReader::setAllocationLimit(kPictureMemoryMegabytes);
}

QString pictureSizeError(QSize size) {
    if (size.width() > kMaxPictureSide || size.height() > kMaxPictureSide) {
        return QCoreApplication::translate("PictureIntake",
                                           "画像が大きすぎます: %1 x %2 ピクセル (最大 %3 x %3)")
            .arg(size.width())
            .arg(size.height())
            .arg(kMaxPictureSide);
    }
    if (size.width() < 1 || size.height() < 1) {
        return QCoreApplication::translate("PictureIntake", "画像に画素がありません: %1 x %2")
            .arg(size.width())
            .arg(size.height());
    }
    return QString();
}

QImage admitPicture(const QImage& picture, QString* error) {
    if (picture.isNull()) {
        *error = QCoreApplication::translate("PictureIntake", "読み込める画像ではありません");
        return QImage();
    }
    if (QString refused = pictureSizeError(picture.size()); !refused.isEmpty()) {
        *error = std::move(refused);
        return QImage();
    }
    const bool transparent = picture.hasAlphaChannel();
    QImage flat = transparent ? QImage(picture.size(), QImage::Format_RGB32)
                              : picture.convertToFormat(QImage::Format_RGB32);
    if (flat.isNull()) {
        *error = QCoreApplication::translate("PictureIntake",
                                             "%1 x %2 ピクセルの画像に足りるメモリーがありません")
                     .arg(picture.width())
                     .arg(picture.height());
        return QImage();
    }
    if (transparent) {
        flat.fill(Qt::white);
        QPainter painter(&flat);
        painter.drawImage(0, 0, picture);
    }
    return flat;
}

QImage decodePicture(QIODevice& device, QString* error) {
    if (isBitmapSignature(device.peek(2))) {
        const QImage bitmap = decodeBitmap(device, error);
        return bitmap.isNull() ? QImage() : admitPicture(bitmap, error);
    }
    usePictureMemoryLimit();
    QImageReader reader(&device);
    reader.setAutoTransform(false);
    if (const QSize claimed = reader.size(); claimed.isValid()) {
        if (QString refused = pictureSizeError(claimed); !refused.isEmpty()) {
            *error = std::move(refused);
            return QImage();
        }
    }
    const QImage picture = reader.read();
    if (picture.isNull()) {
        // Qt says "Unknown error" where its decoder gave no reason.
        *error = reader.error() == QImageReader::UnknownError
                     ? QCoreApplication::translate("PictureIntake", "読み込める画像ではありません")
                     : reader.errorString();
        return QImage();
    }
    return admitPicture(picture, error);  // also a decoder that did not tell its size beforehand
}

}  // namespace kiramo
