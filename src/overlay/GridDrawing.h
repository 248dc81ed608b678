#pragma once

#include "core/GridGeometry.h"
#include "core/GridStyle.h"
#include "core/TwipScale.h"

#include <QLine>
#include <QList>

class QImage;

namespace kiramo {

// Draws `grid` into `image` in `style`, solid or dotted. This is the one place where twips
// become pixels: a point (x, y) twips is pixel (floor(x / scale.x), floor(y / scale.y)). Lines
// that land on the same pixels are drawn once.
// A line of width w covers the w pixel columns (rows) that lineStart gives around its one-pixel
// line: a vertical line grows across, a horizontal one down, a diagonal across when it is
// steeper than 45 degrees and down otherwise; upright lines also grow at their ends as far as
// across, so that frames close at their corners. Dots are w pixels long with 2 w between them,
// the one-pixel dotted line grown. A translucent grid covers every pixel once, also where its
// lines cross.
void drawGrid(QImage& image, const Grid& grid, TwipScale scale, const GridStyle& style = {});

// The lines that drawGrid draws, in device pixels, end points included, each once.
[[nodiscard]] QList<QLine> gridPixelLines(const Grid& grid, TwipScale scale);

}  // namespace kiramo
