#pragma once

#include <QImage>
#include <QSize>
#include <QString>

class QIODevice;

// The one rule for a picture that comes in, whichever way: a file (Open, the command line, a
// dropped file), the clipboard or picture data dropped from another program.
namespace kiramo {

// The memory that Qt's decoders may take for one picture, in megabytes: a picture of
// kMaxPictureSide x kMaxPictureSide pixels (the largest that is taken) at 4 bytes each.
inline constexpr int kPictureMemoryMegabytes = 1024;

// Lets Qt's decoders take kPictureMemoryMegabytes for one picture. The limit is Qt's, for the
// whole process: the platform's clipboard and drop conversions decode under it as well.
void usePictureMemoryLimit();

// Why a picture of `size` pixels is not taken, or "" when it is: its sides must be 1 to
// kMaxPictureSide pixels.
[[nodiscard]] QString pictureSizeError(QSize size);

// `picture` as the canvas takes it: opaque RGB32, laid on white where it is transparent. A null
// image, with `error` set, for a null picture or one whose size pictureSizeError refuses.
[[nodiscard]] QImage admitPicture(const QImage& picture, QString* error);

// The picture on `device`, from its current position: Windows bitmaps by the program's own
// decoder, other formats by Qt's, then admitted by admitPicture. A null image with `error` set
// to the reason otherwise. Needs no widget.
[[nodiscard]] QImage decodePicture(QIODevice& device, QString* error);

}  // namespace kiramo
