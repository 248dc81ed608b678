#pragma once

#include "core/GridGeometry.h"
#include "core/GridStyle.h"

namespace kiramo {

// What a grid command was asked for, for the legend of a printout.
struct GridSpacing {
    enum class Kind { Eighths, EqualParts, Centimetres };
    Kind kind = Kind::Eighths;
    double value = 8.0;  // 8, the number of parts, or the centimetres asked for
    // Centimetres: the side of the paper (cm) that the selection's width stood for when drawn.
    double paperCm = 0.0;
};

// A grid as drawn on the canvas (twips), with what it was asked for and how it looked.
// `committed` grids were on the canvas when it was last committed, so Grid Clear no longer takes
// them away.
struct DrawnGrid {
    Grid grid;
    GridSpacing spacing;
    bool committed = false;
    GridStyle style;
};

}  // namespace kiramo
