#pragma once

#include "core/GridGeometry.h"
#include "core/TwipScale.h"

#include <QLine>
#include <QList>

class QImage;

namespace kiramo {

// Draws `grid` into `image` in grid grey, one pixel wide, solid or dotted. This is the one
// place where twips become pixels: a point (x, y) twips is pixel (floor(x / scale.x),
// floor(y / scale.y)). Lines that land on the same pixels are drawn once.
void drawGrid(QImage& image, const Grid& grid, TwipScale scale);

// The lines that drawGrid draws, in device pixels, end points included, each once.
[[nodiscard]] QList<QLine> gridPixelLines(const Grid& grid, TwipScale scale);

}  // namespace kiramo
