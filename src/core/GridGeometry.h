#pragma once

#include "core/TwipScale.h"

#include <QColor>
#include <QLineF>
#include <QList>
#include <QRectF>

#include <optional>

// Where the guide grids go: lines in twips of the canvas, fractions kept. Drawing them is a
// separate step (GridDrawing) that maps twips to pixels.
namespace kiramo {

// The grid grey: red, green and blue 170, on the canvas and on paper.
inline const QColor kGridGrey(170, 170, 170);

struct Grid {
    QList<QLineF> lines;          // in drawing order
    std::optional<QRectF> frame;  // an outline drawn after the lines
    bool dotted = false;

    [[nodiscard]] bool isEmpty() const { return lines.isEmpty() && !frame; }
};

// "1/8": both diagonals, a frame when the region's top is not 0, then N - 1 vertical and N - 1
// horizontal lines dividing the region into N x N cells; all dotted when N is 8.
[[nodiscard]] Grid divisionGrid(const QRectF& region, double n);

// The whole part of W / N twips: the spacing of the equal-parts grid, the same both ways.
[[nodiscard]] double equalPartsStep(double width, double n);

// Equal parts: vertical lines from the region's left edge every `step` twips while they do not
// pass its right edge, then horizontal lines from its top edge the same way, solid. A step
// below one twip, which as a whole number of twips is 0, gives no grid (it would never pass the
// edge).
[[nodiscard]] Grid equalPartsGrid(const QRectF& region, double step);

// The centimetre grid's spacing: the selection's width stands for `base` cm, so S cm are
// width x S / base twips. Nothing when base is not a positive number.
[[nodiscard]] std::optional<double> centimetreStep(double width, double centimetres, double base);

// Centimetre grid over a selection: vertical lines at step, 2 step, ... from its left edge
// while within its width, horizontal lines the same way from its top, then its frame. At most
// one line per pixel column (row) of scale.x (y) twips: lines closer together than a
// pixel give one line in every pixel they pass, whatever the step. A step that is not a
// positive number (0 for a selection without width) gives no grid.
[[nodiscard]] Grid centimetreGrid(const QRectF& selection, double step, TwipScale scale);

}  // namespace kiramo
