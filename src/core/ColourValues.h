#pragma once

#include <QList>
#include <QRgb>
#include <QString>

#include <optional>

// Colours written out as text for the user and for other programs. The alpha of a QRgb is
// ignored throughout: every colour here is opaque.
namespace kiramo {

// "#RRGGBB", upper-case hexadecimal.
[[nodiscard]] QString hexColour(QRgb colour);

// A "#RRGGBB" text (blanks around it allowed, either case), or nothing for any other text.
[[nodiscard]] std::optional<QRgb> parseHexColour(const QString& text);

// The colours one "#RRGGBB" a line, in the order given, each line ending in "\n".
[[nodiscard]] QString colourValuesText(const QList<QRgb>& colours);

// A GIMP palette (.gpl), as GIMP, Krita and Inkscape read it: the "GIMP Palette" header, the
// palette's name (line breaks taken out), as many columns as colours (at most 256), then one
// line per colour, "R G B" each right-aligned in three places, a tab and the colour's name,
// its "#RRGGBB". Lines end in "\n"; the text is UTF-8 when written.
[[nodiscard]] QString gimpPalette(const QString& name, const QList<QRgb>& colours);

}  // namespace kiramo
