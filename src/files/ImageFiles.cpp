#include "files/ImageFiles.h"

#include "files/BitmapCodec.h"

#include "app/Form1.h"
#include "app/NumberText.h"
#include "canvas/Surface.h"
#include "platform/Prompts.h"
#include "platform/WaitCursor.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QSaveFile>

#include <cmath>
#include <optional>

namespace kiramo {

QString fileSubject(const QString& path, const QString& width, const QString& height) {
    const qsizetype separator = std::max(path.lastIndexOf(u'\\'), path.lastIndexOf(u'/'));
    return path.mid(separator + 1).toUpper() + QStringLiteral(" (") + width + u'x' + height + u')';
}

namespace {

QString tooLargeError(QSize size) {
    return QStringLiteral("The picture is too large: %1 x %2 pixels (at most %3 x %3)")
        .arg(size.width())
        .arg(size.height())
        .arg(kMaxPictureSide);
}

bool isTooLarge(QSize size) {
    return size.width() > kMaxPictureSide || size.height() > kMaxPictureSide;
}

}  // namespace

QImage decodePicture(QIODevice& device, QString* error) {
    if (isBitmapSignature(device.peek(2))) {
        return decodeBitmap(device, error);
    }
    QImageReader reader(&device);
    reader.setAllocationLimit(kLoadLimitMegabytes);
    reader.setAutoTransform(false);
    if (const QSize claimed = reader.size(); claimed.isValid() && isTooLarge(claimed)) {
        *error = tooLargeError(claimed);
        return QImage();
    }
    QImage picture = reader.read();
    if (picture.isNull()) {
        *error = reader.errorString();
        if (error->isEmpty()) {
            *error = QStringLiteral("The file is not a picture that the program can read");
        }
        return QImage();
    }
    if (isTooLarge(picture.size())) {  // a decoder that did not tell its size beforehand
        *error = tooLargeError(picture.size());
        return QImage();
    }
    return picture.convertToFormat(QImage::Format_RGB32);
}

QImage readPictureFile(const QString& path, QString* error) {
    // Opening a pipe would wait for a writer, and a device may never end: both are refused by
    // their type, before anything opens them.
    const QFileInfo info(path);
    const QString name = QDir::toNativeSeparators(path);
    if (info.isDir()) {
        *error = QStringLiteral("%1 is a folder, not a picture file").arg(name);
        return QImage();
    }
    if (info.exists() && !info.isFile()) {
        *error = QStringLiteral("%1 is not a picture file but a device or a pipe").arg(name);
        return QImage();
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("%1 cannot be opened: %2").arg(name, file.errorString());
        return QImage();
    }
    return decodePicture(file, error);
}

void LoadCanvasImage(Form1& form, const QString& path) {
    std::optional<WaitCursor> hourglass(std::in_place);
    form.P1->hide();
    const QSize emptySize = form.P1->imageSize();
    form.P1->setImage(QImage());  // the old picture goes before the new one is decoded

    QString error;
    const QImage picture = readPictureFile(path, &error);
    if (picture.isNull()) {
        form.state.CurrentFile.clear();
        form.setCaption(QString());
        form.P1->clear(emptySize);
        form.P1->show();
        hourglass.reset();
        form.services.prompts.showMessage(error);
        return;
    }
    form.P1->setImage(picture);
    form.state.CurrentFile = path;
    form.P1->show();
    form.P1->repaint();
    // The size in pixels, as the canvas's twips over the twips per pixel (single precision).
    const ScreenMetrics& m = form.services.metrics;
    const auto pixels = [](double twips, double perPixel) {
        return writeNumber(static_cast<float>(twips) / static_cast<float>(perPixel));
    };
    const QSize size = form.P1->imageSize();
    const QString subject = fileSubject(path, pixels(m.toTwipsX(size.width()), m.twipsPerPixelX),
                                        pixels(m.toTwipsY(size.height()), m.twipsPerPixelY));
    form.CommitCanvas();
    form.setCaption(subject);
    form.EnableImageCommands();
}

void SaveImageFile(Form1& form, const QString& name) {
    Prompts& prompts = form.services.prompts;
    // Any existing file, hidden ones too: a file that is overwritten is always asked about.
    if (QFileInfo(name).isFile() &&
        !prompts.askYesNo(QStringLiteral("同名ファイル ") + name +
                          QStringLiteral(" が存在します。上書きしますか？"))) {
        return;
    }
    QSaveFile file(name);
    QString error;
    if (!file.open(QIODevice::WriteOnly)) {
        error = file.errorString();
    } else if (!writeBitmap(file, form.P1->image(), &error)) {
        file.cancelWriting();
    } else if (!file.commit()) {
        error = file.errorString();
    }
    if (!error.isEmpty()) {
        prompts.beep();
        prompts.showMessage(error);
        return;
    }
    form.state.CurrentFile = name;
    const ScreenMetrics& m = form.services.metrics;
    const QSize size = form.P1->imageSize();
    const auto whole = [](double twips, double perPixel) {
        return QString::number(static_cast<long long>(std::floor(twips / perPixel)));
    };
    form.setCaption(fileSubject(name, whole(m.toTwipsX(size.width()), m.twipsPerPixelX),
                                whole(m.toTwipsY(size.height()), m.twipsPerPixelY)));
}

}  // namespace kiramo
