#include "core/PictureFile.h"

#include "core/BitmapCodec.h"

#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QSaveFile>

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

bool writePictureFile(const QString& path, const QImage& image, QString* error) {
    const QByteArray format = pictureFormatFor(path);
    QSaveFile safe(path);
    if (safe.open(QIODevice::WriteOnly)) {
        if (!writePicture(safe, image, format, error)) {
            safe.cancelWriting();
            return false;
        }
        if (!safe.commit()) {
            *error = safe.errorString();
            return false;
        }
        return true;
    }
    // No temporary file beside the target. Qt's own fallback for this only covers a refusal by
    // permission; the folder may as well be immutable or on a file system that refuses new
    // names. An existing file that may be written is then written in place.
    QFile inPlace(path);
    if (!inPlace.open(QIODevice::WriteOnly | QIODevice::ExistingOnly)) {
        *error = safe.errorString();
        return false;
    }
    if (!writePicture(inPlace, image, format, error)) {
        return false;
    }
    if (!inPlace.flush()) {
        *error = inPlace.errorString();
        return false;
    }
    return true;
}

}  // namespace kiramo
