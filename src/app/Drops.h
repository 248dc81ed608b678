#pragma once

#include "exchange/Clipboard.h"

#include <QString>

class QMimeData;

namespace kiramo {

class Workspace;

// What a drop onto the main window brings.
struct Drop {
    enum class Kind {
        Nothing,      // no picture: a beep
        PictureFile,  // a file that the picture loader reads, loaded as from the command line
        PictureData,  // a picture handed over as data (a browser's image), pasted
    };
    Kind kind = Kind::Nothing;
    QString path;      // PictureFile: the local file
    PictureData data;  // PictureData: the picture; Nothing: why picture data was refused
};

// What `data` means when dropped. Files decide by the first of them alone: several files
// dropped at once load the first, as the command line names one. A local file is a picture
// when the loader reads it (by its contents, whatever its name); a link to elsewhere (a
// browser's) leaves the decision to the picture data that comes with it, taken as a paste takes
// it (pictureOfMimeData).
[[nodiscard]] Drop whatIsDropped(const QMimeData& data);

// Carries out a drop of `data`: a picture file loads as from the command line (caption, current
// file), picture data becomes the canvas as a paste does, anything else gets a beep (and the
// reason, for picture data that is refused) and changes nothing. True when a picture was taken.
bool dropCommand(Workspace& workspace, const QMimeData& data);

}  // namespace kiramo
