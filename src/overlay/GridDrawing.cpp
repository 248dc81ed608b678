#include "overlay/GridDrawing.h"

#include "core/GridGeometry.h"
#include "core/Selection.h"

#include <QImage>
#include <QPainter>

#include <cmath>
#include <set>
#include <tuple>

namespace kiramo {

QList<QLine> gridPixelLines(const Grid& grid, TwipScale scale) {
    auto toPixel = [&](QPointF twips) {
        return QPoint(pixelOfTwips(twips.x(), scale.x), pixelOfTwips(twips.y(), scale.y));
    };
    QList<QLine> lines;
    std::set<std::tuple<int, int, int, int>> drawn;
    auto line = [&](QPoint a, QPoint b) {
        if (drawn.insert({a.x(), a.y(), b.x(), b.y()}).second) {
            lines.append(QLine(a, b));
        }
    };
    for (const QLineF& l : grid.lines) {
        line(toPixel(l.p1()), toPixel(l.p2()));
    }
    if (grid.frame) {
        const QPoint tl = toPixel(grid.frame->topLeft());
        const QPoint br = toPixel(grid.frame->bottomRight());
        line(tl, QPoint(br.x(), tl.y()));
        line(QPoint(br.x(), tl.y()), br);
        line(br, QPoint(tl.x(), br.y()));
        line(QPoint(tl.x(), br.y()), tl);
    }
    return lines;
}

void drawGrid(QImage& image, const Grid& grid, TwipScale scale) {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    QPen pen(kGridGrey, 0, grid.dotted ? Qt::DotLine : Qt::SolidLine);
    pen.setCosmetic(true);
    painter.setPen(pen);
    for (const QLine& line : gridPixelLines(grid, scale)) {
        painter.drawLine(line);
    }
}

}  // namespace kiramo
