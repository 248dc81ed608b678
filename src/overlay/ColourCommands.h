#pragma once

#include <QList>
#include <QRgb>

namespace kiramo {

class Workspace;

// The commands on the colours of the strip, given left to right (newest first). With no colour
// recorded each says so and does nothing else.

// "Copy Colour Values": the colours as text on the clipboard, one "#RRGGBB" a line.
void copyColourValues(Workspace& workspace, const QList<QRgb>& colours);

// "Export Palette...": asks for a file name and writes the colours there as a GIMP palette
// (.gpl) named after the file, through the safe writer; asks before replacing a file.
void exportPalette(Workspace& workspace, const QList<QRgb>& colours);

}  // namespace kiramo
