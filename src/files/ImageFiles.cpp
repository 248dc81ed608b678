#include "files/ImageFiles.h"

#include "core/BitmapCodec.h"
#include "core/PictureFile.h"

#include "canvas/Surface.h"
#include "canvas/Workspace.h"
#include "core/FileNames.h"
#include "core/NumberText.h"
#include "platform/Prompts.h"
#include "platform/WaitCursor.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QSaveFile>
#include <QtEndian>

#include <cmath>
#include <optional>

namespace kiramo {

namespace {

QString tooLargeError(qint64 width, qint64 height) {
    if (width * height * 4 <= (static_cast<qint64>(kLoadLimitMegabytes) << 20)) {
        return QString();
    }
    return QStringLiteral("The picture is too large: %1 x %2 pixels (at most 16384 x 16384)")
        .arg(width)
        .arg(height);
}

// What is wrong with the picture at `path` before it is decoded, or "" when the decoder may
// try it. A picture beyond the size limit is refused by its header. Qt's bitmap decoder fills
// the missing rows of a file that ends early and reports success; an uncompressed bitmap's
// size is known from its header, so a shorter file is reported as broken.
QString errorBeforeDecoding(const QString& path, QImageReader& reader) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return QString();  // the decoder says why
    }
    const QByteArray header = file.read(54);
    if (header.size() < 54 || !header.startsWith("BM")) {
        const QSize claimed = reader.size();
        return claimed.isValid() ? tooLargeError(claimed.width(), claimed.height()) : QString();
    }
    const auto u32 = [&](int at) { return qFromLittleEndian<quint32>(header.constData() + at); };
    const auto u16 = [&](int at) { return qFromLittleEndian<quint16>(header.constData() + at); };
    const qint64 width = static_cast<qint32>(u32(18));
    const qint64 height = std::abs(static_cast<qint64>(static_cast<qint32>(u32(22))));
    if (const QString error = tooLargeError(std::abs(width), height); !error.isEmpty()) {
        return error;
    }
    const quint32 infoSize = u32(14);
    const quint32 compression = u32(30);
    const qint64 bits = u16(28);
    if (infoSize < 40 || (compression != 0 && compression != 3) || width <= 0 || bits <= 0 ||
        bits > 32) {
        return QString();
    }
    const qint64 stride = ((width * bits + 31) / 32) * 4;
    const qint64 needed = static_cast<qint64>(u32(10)) + stride * height;
    if (file.size() < needed) {
        return QStringLiteral("The bitmap file ends early: %1 of %2 bytes are there")
            .arg(file.size())
            .arg(needed);
    }
    return QString();
}

// The picture at `path`: plain bitmaps by the program's own fast reader, anything else by Qt's
// decoders. A null image, with `error` set, when it cannot be loaded.
QImage decodePicture(const QString& path, QString* error) {
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        if (const std::optional<PlainBitmap> plain = plainBitmapHeader(file.peek(54))) {
            *error = tooLargeError(plain->width, plain->height);
            return error->isEmpty() ? readPlainBitmap(file, *plain, error) : QImage();
        }
    }
    QImageReader reader(path);
    reader.setAllocationLimit(kLoadLimitMegabytes);
    reader.setAutoTransform(false);
    *error = errorBeforeDecoding(path, reader);
    if (!error->isEmpty()) {
        return QImage();
    }
    QImage picture = reader.read();
    if (picture.isNull()) {
        *error = reader.errorString();
    }
    return picture;
}

}  // namespace

bool canLoadPicture(const QString& path) {
    if (!QFileInfo(path).isFile()) {
        return false;
    }
    QImageReader reader(path);
    return reader.canRead();
}

void LoadCanvasImage(Workspace& workspace, const QString& path) {
    std::optional<WaitCursor> hourglass(std::in_place);
    workspace.P1->hide();
    const QSize emptySize = workspace.P1->imageSize();
    workspace.P1->setImage(QImage());  // the old picture goes before the new one is decoded

    QString error;
    const QImage picture = decodePicture(path, &error);
    if (picture.isNull()) {
        workspace.state.CurrentFile.clear();
        workspace.setCaption(QString());
        workspace.P1->clear(emptySize);
        workspace.P1->show();
        hourglass.reset();
        workspace.services.prompts.showMessage(error);
        return;
    }
    // The size in pixels, as the canvas's twips over the twips per pixel (single precision).
    const ScreenMetrics& m = workspace.services.metrics;
    const auto pixels = [](double twips, double perPixel) {
        return writeSingle(static_cast<float>(twips) / static_cast<float>(perPixel));
    };
    const QString subject = fileSubject(path, pixels(m.toTwipsX(picture.width()), m.twipsPerPixelX),
                                        pixels(m.toTwipsY(picture.height()), m.twipsPerPixelY));
    workspace.state.CurrentFile = path;
    workspace.P1->show();
    workspace.showNewPicture(picture, subject);
}

void SaveImageFile(Workspace& workspace, const QString& name) {
    Prompts& prompts = workspace.services.prompts;
    // Any existing file, hidden ones too: a file that is overwritten is always asked about.
    if (QFileInfo(name).isFile() &&
        !prompts.askYesNo(QStringLiteral("同名ファイル ") + name +
                          QStringLiteral(" が存在します。上書きしますか？"))) {
        return;
    }
    QString error;
    if (!writePictureFile(name, workspace.P1->image(), &error)) {
        prompts.beep();
        prompts.showMessage(error);
        return;
    }
    workspace.state.CurrentFile = name;
    const ScreenMetrics& m = workspace.services.metrics;
    const QSize size = workspace.P1->imageSize();
    const auto whole = [](double twips, double perPixel) {
        return QString::number(static_cast<long long>(std::floor(twips / perPixel)));
    };
    workspace.setCaption(fileSubject(name, whole(m.toTwipsX(size.width()), m.twipsPerPixelX),
                                     whole(m.toTwipsY(size.height()), m.twipsPerPixelY)));
}

}  // namespace kiramo
