#pragma once

#include "core/GridStyle.h"
#include "core/PageLayout.h"
#include "paper/PaperOptions.h"

#include <QImage>

class QPainter;

namespace kiramo {

class Workspace;

// One grid's lines on a page (millimetres), in the grid's own style.
struct PaperGrid {
    QList<QLineF> lines;
    bool dotted = false;
    GridStyle style;
};

// A page as it will be printed: the picture without its grids, the grids as lines, the cell
// names and the legend, all placed in millimetres of the page.
struct PaperScene {
    PaperPage page;
    QImage picture;
    QList<PaperGrid> grids;   // in drawing order
    QList<CellLabel> labels;  // at millimetres of the page
    QString legend;
};

// The paper a true-size printout of the workspace goes on, or nothing in FreeSize (or a mode
// without a size).
[[nodiscard]] std::optional<PaperPage> truePaper(const Workspace& workspace);

// The workspace's picture and grids on paper: at true size when the options ask for it and the
// mode has a paper, else fitted on `sheetMm`.
[[nodiscard]] PaperScene paperScene(const Workspace& workspace, const PaperOptions& options,
                                    QSizeF sheetMm);

// Paints the part `partMm` of the scene's page with its top-left corner at `atMm` of the
// device, which has `unitsPerMm` device units per millimetre; nothing outside the part.
void paintScene(QPainter& painter, const PaperScene& scene, const QRectF& partMm, QPointF atMm,
                double unitsPerMm);

// The marks of one tile of a tiled printout: crop marks at the corners of its part of the
// paper, ticks where its neighbours' parts begin, and its row and column with the legend in
// the bottom margin.
void paintTileMarks(QPainter& painter, const TilePlan& plan, const SheetTile& tile,
                    const QString& legend, double unitsPerMm);

}  // namespace kiramo
