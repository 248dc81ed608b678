#include "core/BitmapFile.h"

#include "core/BitmapCodec.h"

#include <QFile>
#include <QSaveFile>

namespace kiramo {

bool writeBitmapFile(const QString& path, const QImage& image, QString* error) {
    QSaveFile safe(path);
    if (safe.open(QIODevice::WriteOnly)) {
        if (!writeBitmap(safe, image, error)) {
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
    if (!writeBitmap(inPlace, image, error)) {
        return false;
    }
    if (!inPlace.flush()) {
        *error = inPlace.errorString();
        return false;
    }
    return true;
}

}  // namespace kiramo
