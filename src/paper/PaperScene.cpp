#include "paper/PaperScene.h"

#include "canvas/Workspace.h"

#include <QCoreApplication>
#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace kiramo {

namespace {

constexpr double kLineWidthMm = 0.25;
constexpr double kDotMm = 1.0;
constexpr double kLegendTextMm = 2.6;  // about 7 points
constexpr double kLabelTextMm = 3.0;

// The selection of the last centimetre grid, in picture pixels: what stands for the paper.
std::optional<QRectF> centimetreRegion(const Workspace& workspace) {
    const TwipScale scale = workspace.scale();
    const QList<DrawnGrid>& grids = workspace.drawnGrids();
    for (auto it = grids.crbegin(); it != grids.crend(); ++it) {
        if (it->spacing.kind == GridSpacing::Kind::Centimetres && it->grid.frame) {
            const QRectF& f = *it->grid.frame;
            return QRectF(scale.toPixels(f.topLeft()), scale.toPixels(f.size()));
        }
    }
    return std::nullopt;
}

// Text of `heightMm` in a white box that keeps it readable over the picture, its top-left
// corner at `at` (device units); centred on `at` when `centred`.
void boxedText(QPainter& painter, const QString& text, QPointF at, double heightMm,
               double unitsPerMm, bool centred) {
    QFont font = painter.font();
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(heightMm * unitsPerMm))));
    painter.setFont(font);
    const QFontMetricsF metrics(font, painter.device());
    const double pad = 0.4 * unitsPerMm;
    QRectF box(at, QSizeF(metrics.horizontalAdvance(text) + 2 * pad, metrics.height() + pad));
    if (centred) {
        box.moveCenter(at);
    }
    painter.fillRect(box, QColor(255, 255, 255, 200));
    painter.setPen(Qt::black);
    painter.drawText(box, Qt::AlignCenter, text);
}

}  // namespace

std::optional<PaperPage> truePaper(const Workspace& workspace) {
    if (workspace.isFreeSize()) {
        return std::nullopt;
    }
    const CaptureMode mode = workspace.currentMode();
    return trueSizePage(workspace.paperPicture().size(), centimetreRegion(workspace), mode.width,
                        mode.height);
}

PaperScene paperScene(const Workspace& workspace, const PaperOptions& options, QSizeF sheetMm) {
    PaperScene scene;
    scene.picture = workspace.paperPicture();
    const CaptureMode mode = workspace.currentMode();
    const std::optional<PaperPage> paper = truePaper(workspace);
    // The mode by its whole name, "A4 29.7 x 21", whichever way the paper lies.
    const QString modeName = paper ? modePaperText(mode.name, mode.width, mode.height) : mode.name;
    QString paperName;
    if (paper && options.trueSize) {
        scene.page = *paper;
        paperName = modeName;
    } else {
        scene.page = fittedPage(scene.picture.size(), sheetMm);
        const QString page = options.page.name();
        paperName =
            paper ? QCoreApplication::translate("PaperScene", "%1 (%2 %、%3 に配置)")
                        .arg(modeName,
                             QString::number(std::lround(100.0 * scene.page.placement.mmPerPixel /
                                                         paper->placement.mmPerPixel)),
                             page)
                  : QCoreApplication::translate("PaperScene", "%1 (%2 に配置)").arg(modeName, page);
    }

    const TwipScale scale = workspace.scale();
    QList<GridSpacing> spacings;
    for (const DrawnGrid& drawn : workspace.drawnGrids()) {
        scene.grids.append(PaperGrid{gridLinesOnPaper(drawn.grid, scene.page.placement, scale),
                                     drawn.grid.dotted, drawn.style});
        spacings.append(paper ? spacingOnPaper(drawn, mode.width, mode.height) : drawn.spacing);
    }
    if (options.cellLabels && !workspace.drawnGrids().isEmpty()) {
        for (CellLabel label : cellLabels(workspace.drawnGrids().constLast().grid)) {
            label.at = scene.page.placement.toPaper(scale.toPixels(label.at));
            scene.labels.append(label);
        }
    }
    scene.legend = legendText(workspace.subject(), scene.picture.size(), paperName, spacings);
    return scene;
}

void paintScene(QPainter& painter, const PaperScene& scene, const QRectF& partMm, QPointF atMm,
                double unitsPerMm) {
    const auto device = [&](QPointF mm) { return (mm - partMm.topLeft() + atMm) * unitsPerMm; };
    const auto deviceRect = [&](const QRectF& mm) {
        return QRectF(device(mm.topLeft()), mm.size() * unitsPerMm);
    };
    painter.save();
    painter.setClipRect(deviceRect(partMm));
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.drawImage(deviceRect(scene.page.pictureMm), scene.picture);

    for (const PaperGrid& grid : scene.grids) {
        // A grid's pixels at the picture's scale; a translucent grid tints a crossing once, as
        // one path is painted as a whole.
        const double widthMm = paperLineWidthMm(grid.style.width, scene.page.placement.mmPerPixel);
        QPen pen(grid.style.penColour(), widthMm * unitsPerMm, Qt::SolidLine, Qt::FlatCap);
        if (grid.dotted) {
            // In line widths: 1 mm dots, 1 mm apart, or square dots on lines wider than that.
            const double dot = std::max(kDotMm, widthMm) / widthMm;
            pen.setDashPattern({dot, dot});
        }
        QPainterPath path;
        for (const QLineF& l : grid.lines) {
            path.moveTo(device(l.p1()));
            path.lineTo(device(l.p2()));
        }
        painter.strokePath(path, pen);
    }

    for (const CellLabel& label : scene.labels) {
        // Columns just inside the grid's top, rows just inside its left.
        const QPointF inside = label.column ? QPointF(0.0, 0.5 + kLabelTextMm / 2.0)
                                            : QPointF(1.0 + kLabelTextMm / 2.0, 0.0);
        boxedText(painter, label.text, device(label.at + inside), kLabelTextMm, unitsPerMm, true);
    }
    if (!scene.legend.isEmpty()) {
        boxedText(painter, scene.legend, device(scene.page.legendMm.topLeft()), kLegendTextMm,
                  unitsPerMm, false);
    }
    painter.restore();
}

void paintTileMarks(QPainter& painter, const TilePlan& plan, const SheetTile& tile,
                    const QString& legend, double unitsPerMm) {
    const auto device = [&](double xMm, double yMm) { return QPointF(xMm, yMm) * unitsPerMm; };
    const QRectF part(plan.contentMm, tile.paperMm.size());
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, kLineWidthMm * unitsPerMm));
    constexpr double gap = 1.5;
    constexpr double length = 6.0;
    for (const QPointF corner :
         {part.topLeft(), part.topRight(), part.bottomLeft(), part.bottomRight()}) {
        const double sx = corner.x() == part.left() ? -1.0 : 1.0;
        const double sy = corner.y() == part.top() ? -1.0 : 1.0;
        painter.drawLine(device(corner.x() + sx * gap, corner.y()),
                         device(corner.x() + sx * (gap + length), corner.y()));
        painter.drawLine(device(corner.x(), corner.y() + sy * gap),
                         device(corner.x(), corner.y() + sy * (gap + length)));
    }
    // Where the neighbours' parts begin: the overlap to glue under the next sheet.
    QPen dashed(Qt::black, kLineWidthMm * unitsPerMm, Qt::DashLine);
    painter.setPen(dashed);
    if (tile.column + 1 < plan.columns) {
        const SheetTile& right = plan.tiles[tile.row * plan.columns + tile.column + 1];
        const double x = plan.contentMm.x() + right.paperMm.left() - tile.paperMm.left();
        painter.drawLine(device(x, part.top() - gap - length), device(x, part.top() - gap));
        painter.drawLine(device(x, part.bottom() + gap), device(x, part.bottom() + gap + length));
    }
    if (tile.row + 1 < plan.rows) {
        const SheetTile& below = plan.tiles[(tile.row + 1) * plan.columns + tile.column];
        const double y = plan.contentMm.y() + below.paperMm.top() - tile.paperMm.top();
        painter.drawLine(device(part.left() - gap - length, y), device(part.left() - gap, y));
        painter.drawLine(device(part.right() + gap, y), device(part.right() + gap + length, y));
    }
    const QString name =
        QCoreApplication::translate("PaperScene", "%1/%2 行 %3/%4 列 — %5")
            .arg(QString::number(tile.row + 1), QString::number(plan.rows),
                 QString::number(tile.column + 1), QString::number(plan.columns), legend);
    boxedText(painter, name,
              device(part.left(), plan.sheetMm.height() - kSheetMarginMm + 2.0 + gap),
              kLegendTextMm, unitsPerMm, false);
    painter.restore();
}

}  // namespace kiramo
