#include "overlay/GridDrawing.h"

#include "core/GridGeometry.h"
#include "core/Selection.h"

#include <QImage>
#include <QPainter>

#include <cmath>
#include <cstring>
#include <set>
#include <tuple>
#include <vector>

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

namespace {

// Strokes `lines` with `painter` in `colour`, `width` pixels wide (see drawGrid): the
// one-pixel line drawn `width` times side by side.
void strokeLines(QPainter& painter, const QList<QLine>& lines, bool dotted, int width,
                 const QColor& colour) {
    QPen pen(colour, 0, dotted ? Qt::DotLine : Qt::SolidLine);
    pen.setCosmetic(true);
    if (dotted && width > 1) {
        pen.setDashPattern({double(width), 2.0 * width});
    }
    painter.setPen(pen);
    if (width == 1) {
        for (const QLine& l : lines) {
            painter.drawLine(l);
        }
        return;
    }
    const int before = (width - 1) / 2;
    const int after = width / 2;
    for (const QLine& l : lines) {
        QLine at = l;
        const bool across = std::abs(l.dx()) < std::abs(l.dy());  // steep: grows across
        if (l.p1() == l.p2()) {
            // A line of one pixel: a square around it.
            at = QLine(l.p1() - QPoint(before, 0), l.p1() + QPoint(after, 0));
        } else if (l.dx() == 0 || l.dy() == 0) {
            // Upright: reach out along the line as far as across it, in its own direction.
            const QPoint unit(l.dx() == 0 ? 0 : (l.dx() > 0 ? 1 : -1),
                              l.dy() == 0 ? 0 : (l.dy() > 0 ? 1 : -1));
            const bool forward = unit.x() + unit.y() > 0;
            at = QLine(l.p1() - unit * (forward ? before : after),
                       l.p2() + unit * (forward ? after : before));
        }
        for (int d = -before; d <= after; ++d) {
            painter.drawLine(at.translated(across ? QPoint(d, 0) : QPoint(0, d)));
        }
    }
}

// The pixels that the lines may cover, `width` wide, within `bounds`.
QRect coveredPixels(const QList<QLine>& lines, int width, const QRect& bounds) {
    QRect box;
    for (const QLine& l : lines) {
        box |= QRect(l.p1(), l.p2()).normalized();
    }
    const int before = (width - 1) / 2;
    const int after = width / 2;
    return box.adjusted(-before - after, -before - after, before + after, before + after) & bounds;
}

}  // namespace

void drawGrid(QImage& image, const Grid& grid, TwipScale scale, const GridStyle& style) {
    const QList<QLine> lines = gridPixelLines(grid, scale);
    const int width = std::clamp(style.width, GridStyle::kMinWidth, GridStyle::kMaxWidth);
    const QColor colour = style.penColour();
    if (colour.alpha() == 255) {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing, false);
        strokeLines(painter, lines, grid.dotted, width, colour);
        return;
    }
    if (colour.alpha() == 0) {
        return;
    }
    // Translucent: the lines go into a mask first, so that a pixel two lines share is tinted
    // once; then the colour is laid over the masked pixels.
    const QRect area = coveredPixels(lines, width, image.rect());
    if (area.isEmpty()) {
        return;
    }
    QImage mask(area.size(), QImage::Format_Alpha8);
    mask.fill(0);
    {
        QPainter painter(&mask);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.translate(-area.topLeft());
        strokeLines(painter, lines, grid.dotted, width, Qt::black);
    }
    const double a = colour.alphaF();
    const auto blend = [a](int under, int over) {
        return static_cast<int>(std::lround(under + (over - under) * a));
    };
    for (int y = 0; y < mask.height(); ++y) {
        const uchar* row = mask.constScanLine(y);
        for (int x = 0; x < mask.width(); ++x) {
            // Grid pixels are few: skip eight untouched ones at a time.
            quint64 eight = 0;
            if (x + 8 <= mask.width() && (std::memcpy(&eight, row + x, 8), eight == 0)) {
                x += 7;
                continue;
            }
            if (row[x] == 0) {
                continue;
            }
            const QPoint at = area.topLeft() + QPoint(x, y);
            const QRgb under = image.pixel(at);
            image.setPixel(at, qRgb(blend(qRed(under), colour.red()),
                                    blend(qGreen(under), colour.green()),
                                    blend(qBlue(under), colour.blue())));
        }
    }
}

}  // namespace kiramo
