#include "core/PictureIntake.h"

#include "core/BitmapCodec.h"

#include <QImageReader>
#include <QPainter>

namespace kiramo {

void usePictureMemoryLimit() {
    QImageReader::setAllocationLimit(kPictureMemoryMegabytes);
}

QString pictureSizeError(QSize size) {
    if (size.width() > kMaxPictureSide || size.height() > kMaxPictureSide) {
        return QStringLiteral("The picture is too large: %1 x %2 pixels (at most %3 x %3)")
            .arg(size.width())
            .arg(size.height())
            .arg(kMaxPictureSide);
    }
    if (size.width() < 1 || size.height() < 1) {
        return QStringLiteral("The picture has no pixels: %1 x %2")
            .arg(size.width())
            .arg(size.height());
    }
    return QString();
}

QImage admitPicture(const QImage& picture, QString* error) {
    if (picture.isNull()) {
        *error = QStringLiteral("Not a picture that the program can read");
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
        *error = QStringLiteral("There is not enough memory for a picture of %1 x %2 pixels")
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
                     ? QStringLiteral("Not a picture that the program can read")
                     : reader.errorString();
        return QImage();
    }
    return admitPicture(picture, error);  // also a decoder that did not tell its size beforehand
}

}  // namespace kiramo
