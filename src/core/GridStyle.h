#pragma once

#include "core/GridGeometry.h"

#include <QColor>
#include <QString>

namespace kiramo {

// How grid lines look: their colour, their width in picture pixels and how much of the picture
// shows through them. The default is the one-pixel, opaque grid grey.
struct GridStyle {
    static constexpr int kMinWidth = 1;
    static constexpr int kMaxWidth = 5;

    QColor colour = kGridGrey;  // opaque
    int width = 1;              // picture pixels, kMinWidth..kMaxWidth
    int opacity = 100;          // percent, 0 (invisible) to 100 (opaque)

    // The colour with the opacity as its alpha.
    [[nodiscard]] QColor penColour() const;
    bool operator==(const GridStyle&) const = default;
};

// The style from the texts of its three settings ("#RRGGBB", the width, the opacity). Each is
// read on its own: one that is missing, malformed or out of range gives its default and leaves
// the others alone. Numbers are whole, in decimal, blanks around them allowed.
[[nodiscard]] GridStyle gridStyleFromText(const QString& colour, const QString& width,
                                          const QString& opacity);

// The first of the `width` pixel columns (rows) that a line through column (row) `at` covers.
// The line grows around its pixel: an odd width is centred on it, an even one has its extra
// pixel on the right (below). 1 -> at, 2 -> at, 3 -> at - 1, 4 -> at - 1, 5 -> at - 2.
[[nodiscard]] constexpr int lineStart(int at, int width) {
    return at - (width - 1) / 2;
}

// A grid line on paper: `widthPixels` picture pixels at `mmPerPixel`, never thinner than
// 0.25 mm, the thinnest line that still prints.
[[nodiscard]] double paperLineWidthMm(int widthPixels, double mmPerPixel);

}  // namespace kiramo
