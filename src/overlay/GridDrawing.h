#pragma once

#include "core/GridGeometry.h"

class QImage;

namespace kiramo {

// Draws `grid` into `image` in grid grey, one pixel wide, solid or dotted. This is the one
// place where twips become pixels: a point (x, y) twips is pixel (floor(x / tppX),
// floor(y / tppY)). Lines that land on the same pixels are drawn once.
void drawGrid(QImage& image, const Grid& grid, double twipsPerPixelX, double twipsPerPixelY);

}  // namespace kiramo
