#pragma once

#include "core/DrawnGrid.h"
#include "core/TwipScale.h"

#include <QLineF>
#include <QList>
#include <QPageSize>
#include <QRectF>
#include <QString>
#include <QStringList>

#include <optional>

class QLocale;

// Where a picture and its grids go on paper. Lengths on paper are millimetres from the top-left
// corner of the paper or sheet; picture lengths are its pixels; grids come in canvas twips.
namespace kiramo {

inline constexpr double kMmPerInch = 25.4;
// Around a fitted picture and around each tile of a tiled printout.
inline constexpr double kSheetMarginMm = 12.0;
// Under a fitted picture, for its legend line.
inline constexpr double kLegendBandMm = 8.0;
// What neighbouring tiles share, so that the sheets can be cut and taped together.
inline constexpr double kTileOverlapMm = 10.0;

// Picture pixels to paper: mm = offset + pixels x mmPerPixel, the same scale both ways.
struct PicturePlacement {
    double mmPerPixel = 1.0;
    QPointF offsetMm;

    [[nodiscard]] QPointF toPaper(QPointF pixels) const { return offsetMm + pixels * mmPerPixel; }
    [[nodiscard]] QRectF toPaper(const QRectF& pixels) const {
        return QRectF(toPaper(pixels.topLeft()), pixels.size() * mmPerPixel);
    }
};

// One page: its size, where the picture lies on it (it may reach beyond the page) and where the
// legend line goes.
struct PaperPage {
    QSizeF sizeMm;
    PicturePlacement placement;
    QRectF pictureMm;
    QRectF legendMm;
    bool legendOverPicture = false;  // a true-size page has no margin to hold it
};

// True size on a mode's paper of `firstCm` x `secondCm`, as the centimetre grid reads the mode:
// when `region` is wider than high the first size runs across (landscape), otherwise the
// second. `region` (picture pixels) is what stands for the paper: the selection a centimetre
// grid was drawn over, its width the paper's width and its top-left corner the paper's; without
// one the whole picture, fitted in and centred, so that a picture of the paper's proportions
// fills it exactly. Nothing when the size across is not a positive number.
[[nodiscard]] std::optional<PaperPage>
trueSizePage(QSizeF pictureSize, std::optional<QRectF> region, double firstCm, double secondCm);

// The picture fitted on a sheet of `sheetMm` (turned landscape for a picture wider than high),
// aspect kept, centred within the margins above the legend band.
[[nodiscard]] PaperPage fittedPage(QSizeF pictureSize, QSizeF sheetMm);

// One printed sheet of a paper: the part of the paper it holds, placed at the sheet's content
// rectangle.
struct SheetTile {
    int row = 0;
    int column = 0;
    QRectF paperMm;
};

struct TilePlan {
    QSizeF sheetMm;     // as printed, turned to the orientation chosen
    QPointF contentMm;  // where each tile's part of the paper begins on its sheet
    int rows = 1;
    int columns = 1;
    QList<SheetTile> tiles;  // row by row, left to right

    [[nodiscard]] bool tiled() const { return tiles.size() > 1; }
};

// Lays a paper of `paperMm` onto printer sheets of `sheetMm` (either orientation given). Paper
// that fits on a sheet (turned either way, 0.5 mm to spare) goes on one sheet, centred. Larger
// paper is cut into tiles within the sheets' margins, each overlapping its right and lower
// neighbours by `overlapMm`; the orientation needing fewer sheets wins.
[[nodiscard]] TilePlan tilePaper(QSizeF paperMm, QSizeF sheetMm, double overlapMm = kTileOverlapMm);

// The lines of a grid (frame included) on paper, a canvas point (x, y) twips being picture
// pixel (x / scale.x, y / scale.y): where the line lies, not the pixel the canvas rounds it to.
[[nodiscard]] QList<QLineF> gridLinesOnPaper(const Grid& grid, const PicturePlacement& placement,
                                             TwipScale scale);

// Names of the cells between a grid's lines: columns A, B, ... Z, AA, ... at the middle of
// each column along the grid's top, rows 1, 2, ... at the middle of each row along its left.
struct CellLabel {
    QString text;
    QPointF at;  // canvas twips as given by cellLabels
    bool column = true;
};
[[nodiscard]] QString columnName(int index);
[[nodiscard]] QList<CellLabel> cellLabels(const Grid& grid);

// "A4 29.7 x 21 cm": a mode's paper as laid out, width first.
[[nodiscard]] QString paperText(const QString& name, QSizeF paperMm);
// "A4 29.7 x 21": a mode's name and its two sizes in centimetres as the mode gives them,
// whichever way its paper lies.
[[nodiscard]] QString modePaperText(const QString& name, double firstCm, double secondCm);
// What a drawn grid's spacing measures on the paper of a mode of `firstCm` x `secondCm`: a
// centimetre grid drawn for another paper measures in proportion (5 cm drawn for A4 is 7.07 cm
// on A3, to a tenth of a millimetre); everything else as asked.
[[nodiscard]] GridSpacing spacingOnPaper(const DrawnGrid& drawn, double firstCm, double secondCm);
// "5 cm", "1/8", "10 等分" (translated).
[[nodiscard]] QString spacingText(const GridSpacing& spacing);
// A caption's subject with the sizes in its last parentheses made the picture's whole pixels:
// "Untitled (283.4646x200)" of a 283 x 200 picture is "Untitled (283x200)". A subject without
// sizes is kept as it is, trimmed.
[[nodiscard]] QString wholePixelSubject(const QString& subject, QSize pixels);
// "picture.bmp (800x600) — A4 29.7 x 21、グリッド 5 cm" (translated): the subject (if any) with
// the picture's whole pixel sizes, the paper, then the spacings of the grids, each named once.
[[nodiscard]] QString legendText(const QString& subject, QSize pixels, const QString& paper,
                                 const QList<GridSpacing>& spacings);

// The page a fitted picture goes on unless the user chooses: Letter where the locale measures
// in inches, A4 elsewhere.
[[nodiscard]] QPageSize::PageSizeId defaultPageSize(const QLocale& locale);

}  // namespace kiramo
