#include "core/PictureFile.h"

#include "core/BitmapCodec.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageWriter>

namespace kiramo {

namespace {

bool writePicture(QIODevice& device, const QImage& image, const QByteArray& format,
                  QString* error) {
    if (format == "bmp") {
        return writeBitmap(device, image, error);
    }
    QImageWriter writer(&device, format);
    if (!writer.write(image)) {
        *error = writer.errorString();
        return false;
    }
    return true;
}

}  // namespace

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
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (!writePicture(buffer, image, pictureFormatFor(path), error)) {
        return QByteArray();
    }
    return buffer.data();
}

}  // namespace kiramo
