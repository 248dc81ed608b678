// kiramo.conf's [Grid] values: three texts -> gridStyleFromText; colours -> the colour texts.
// Input: the colour, width and opacity texts as UTF-8, separated by zero bytes; the whole input
// is also taken as colours, three bytes (R, G, B) each.
// Invariants: the style is always usable: an opaque colour, a width of 1 to 5, an opacity of
// 0 to 100; each value is its default unless its text is that value written plainly; written
// back (#RRGGBB and plain numbers) the style reads as itself. The colour values are one
// "#RRGGBB" line per colour; the palette has its four header lines and one line per colour,
// each "R G B", a tab and its #RRGGBB; no crash, leak or undefined behaviour.
#include "FuzzSupport.h"

#include "core/ColourValues.h"
#include "core/GridStyle.h"

#include <QStringList>

using namespace kiramo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes = kiramo::fuzzing::bytesOf(data, size);
    const QList<QByteArray> parts = bytes.split('\0');
    const auto part = [&](qsizetype i) {
        return i < parts.size() ? QString::fromUtf8(parts[i]) : QString();
    };
    const GridStyle style = gridStyleFromText(part(0), part(1), part(2));
    FUZZ_CHECK(style.colour.isValid() && style.colour.alpha() == 255);
    FUZZ_CHECK(style.width >= GridStyle::kMinWidth && style.width <= GridStyle::kMaxWidth);
    FUZZ_CHECK(style.opacity >= 0 && style.opacity <= 100);
    FUZZ_CHECK(style.colour == kGridGrey ||
               hexColour(style.colour.rgb()) == part(0).trimmed().toUpper());
    FUZZ_CHECK(style.width == 1 || part(1).trimmed().toInt() == style.width);
    FUZZ_CHECK(style.opacity == 100 || part(2).trimmed().toInt() == style.opacity);
    FUZZ_CHECK(gridStyleFromText(hexColour(style.colour.rgb()), QString::number(style.width),
                                 QString::number(style.opacity)) == style);

    QList<QRgb> colours;
    for (qsizetype i = 0; i + 3 <= bytes.size(); i += 3) {
        colours.append(qRgb(uchar(bytes[i]), uchar(bytes[i + 1]), uchar(bytes[i + 2])));
    }
    const QStringList values = colourValuesText(colours).split(u'\n');
    FUZZ_CHECK(values.size() == colours.size() + 1 && values.back().isEmpty());
    const QStringList palette = gimpPalette(part(0), colours).split(u'\n');
    FUZZ_CHECK(palette.size() == colours.size() + 5 && palette[0] == u"GIMP Palette");
    for (qsizetype i = 0; i < colours.size(); ++i) {
        const QRgb c = colours[i];
        FUZZ_CHECK(values[i] == hexColour(c) && parseHexColour(values[i]) == c);
        FUZZ_CHECK(palette[i + 4] ==
                   QStringLiteral("%1 %2 %3\t").arg(qRed(c), 3).arg(qGreen(c), 3).arg(qBlue(c), 3) +
                       values[i]);
    }
    return 0;
}
