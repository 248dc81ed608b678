#include "core/PictureFile.h"

#include "core/BitmapCodec.h"
#include "core/PngEncoder.h"
#include "core/WorkProgress.h"

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

namespace {

// A buffer that refuses further bytes once the work is abandoned, so that a writer stops.
class AbandonableBuffer final : public QBuffer {
public:
    explicit AbandonableBuffer(const WorkProgress* progress)
        : m_progress(progress) {}

protected:
    qint64 writeData(const char* data, qint64 size) override {
        if (m_progress != nullptr && m_progress->abandoned()) {
            return -1;
        }
        return QBuffer::writeData(data, size);
    }

private:
    const WorkProgress* m_progress;
};

QString cancelled() {
    return QStringLiteral("The save was cancelled");
}

}  // namespace

QByteArray encodePictureFile(const QString& path, const QImage& image, QString* error,
                             WorkProgress* progress) {
    const QByteArray format = pictureFormatFor(path);
    if (format == "png") {
        return encodePng(image, progress, error);
    }
    if (format == "bmp") {
        QByteArray file = encodeBitmap(image, error);
        if (progress != nullptr && progress->abandoned()) {
            *error = cancelled();
            return QByteArray();
        }
        return file;
    }
    AbandonableBuffer buffer(progress);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (!writer.write(image)) {
        *error = progress != nullptr && progress->abandoned() ? cancelled() : writer.errorString();
        return QByteArray();
    }
    return buffer.data();
}

}  // namespace kiramo
