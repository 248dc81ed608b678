#include "core/PictureFile.h"

#include "core/BitmapCodec.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageWriter>

namespace kiramo {

QByteArray pictureFormatFor(const QString& path) {
    QByteArray suffix = QFileInfo(path).suffix().toLower().toLatin1();
    if (suffix == "jpeg") {
        suffix = "jpg";
    } else if (suffix == "tif") {
        suffix = "tiff";
    }
    if (suffix.isEmpty() || !QImageWriter::supportedImageFormats().contains(suffix)) {
        return QByteArrayLiteral("bmp");
    }
    return suffix;
}

QByteArray encodePictureFile(const QString& path, const QImage& image, QString* error) {
    const QByteArray format = pictureFormatFor(path);
    if (format == "bmp") {
        return encodeBitmap(image, error);
    }
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (!writer.write(image)) {
        *error = writer.errorString();
        return QByteArray();
    }
    return buffer.data();
}

}  // namespace kiramo
