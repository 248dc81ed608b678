#pragma once

#include <QImage>
#include <QString>

class QMimeData;

namespace kiramo {

class Workspace;

// "&Copy": the selection (which then ends) or, without one, the whole canvas with its grid
// lines, onto the clipboard as a picture.
void copyCommand(Workspace& workspace);

// "&Paste": a picture from the clipboard becomes the canvas; without one, a beep. The caption
// and the current file stay.
void pasteCommand(Workspace& workspace);

// The picture that another program hands over as data (the clipboard's, or one dropped on the
// window), by the rule that a file load follows (admitPicture): an image the platform decoded,
// else the first image/* entry that decodes. `refusal` tells why a picture that is there is not
// taken (its size); it stays empty when there is no picture at all.
struct PictureData {
    QImage picture;  // opaque RGB32, or null
    QString refusal;
};
[[nodiscard]] PictureData pictureOfMimeData(const QMimeData& data);

// Picture data from another program becomes the canvas; the selection ends, the caption and
// the current file stay. Without a picture a beep, and the refusal's reason where there is one;
// nothing changes then.
void pastePicture(Workspace& workspace, const PictureData& data);

}  // namespace kiramo
