#include "core/PageLayout.h"

#include "core/NumberText.h"

#include <QCoreApplication>
#include <QLocale>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <set>

namespace kiramo {

namespace {

// The largest scale that puts `size` inside `box`, and the offset that centres it there.
PicturePlacement fitInside(QSizeF size, const QRectF& box) {
    PicturePlacement placement;
    placement.mmPerPixel = std::min(box.width() / size.width(), box.height() / size.height());
    const QSizeF scaled = size * placement.mmPerPixel;
    placement.offsetMm = box.topLeft() + QPointF((box.width() - scaled.width()) / 2.0,
                                                 (box.height() - scaled.height()) / 2.0);
    return placement;
}

// Tiles of `length` mm on sheets holding `area` mm, neighbours sharing `overlap`: the number
// of sheets and the step between their starts.
int tilesAlong(double length, double area, double overlap) {
    if (length <= area + 0.5) {
        return 1;
    }
    return static_cast<int>(std::ceil((length - overlap) / (area - overlap) - 1e-9));
}

QRectF frameOf(const Grid& grid) {
    if (grid.frame) {
        return *grid.frame;
    }
    QRectF box;
    for (const QLineF& l : grid.lines) {
        box |= QRectF(l.p1(), l.p2()).normalized();
    }
    return box;
}

}  // namespace

std::optional<PaperPage> trueSizePage(QSizeF pictureSize, std::optional<QRectF> region,
                                      double firstCm, double secondCm) {
    const QRectF standsFor = region.value_or(QRectF(QPointF(), pictureSize));
    const bool landscape = standsFor.width() > standsFor.height();
    const double acrossCm = landscape ? firstCm : secondCm;
    const double downCm = landscape ? secondCm : firstCm;
    if (!(acrossCm > 0.0) || !(downCm > 0.0) || pictureSize.isEmpty() || standsFor.isEmpty()) {
        return std::nullopt;
    }
    PaperPage page;
    page.sizeMm = QSizeF(acrossCm * 10.0, downCm * 10.0);
    if (region) {
        page.placement.mmPerPixel = page.sizeMm.width() / region->width();
        page.placement.offsetMm = -region->topLeft() * page.placement.mmPerPixel;
    } else {
        page.placement = fitInside(pictureSize, QRectF(QPointF(), page.sizeMm));
    }
    page.pictureMm = page.placement.toPaper(QRectF(QPointF(), pictureSize));
    // Inside the margin that most printers cannot reach, at the bottom left.
    page.legendMm = QRectF(6.0, page.sizeMm.height() - 10.0, page.sizeMm.width() - 12.0, 4.0);
    page.legendOverPicture = true;
    return page;
}

PaperPage fittedPage(QSizeF pictureSize, QSizeF sheetMm) {
    const bool landscape = pictureSize.width() > pictureSize.height();
    const double longer = std::max(sheetMm.width(), sheetMm.height());
    const double shorter = std::min(sheetMm.width(), sheetMm.height());
    PaperPage page;
    page.sizeMm = landscape ? QSizeF(longer, shorter) : QSizeF(shorter, longer);
    const QRectF box(kSheetMarginMm, kSheetMarginMm, page.sizeMm.width() - 2 * kSheetMarginMm,
                     page.sizeMm.height() - 2 * kSheetMarginMm - kLegendBandMm);
    page.placement = fitInside(pictureSize, box);
    page.pictureMm = page.placement.toPaper(QRectF(QPointF(), pictureSize));
    page.legendMm = QRectF(box.left(), page.pictureMm.bottom() + 2.0, box.width(), 4.0);
    return page;
}

TilePlan tilePaper(QSizeF paperMm, QSizeF sheetMm, double overlapMm) {
    const double longer = std::max(sheetMm.width(), sheetMm.height());
    const double shorter = std::min(sheetMm.width(), sheetMm.height());
    const QSizeF portrait(shorter, longer);
    const QSizeF landscape(longer, shorter);
    const bool paperLandscape = paperMm.width() > paperMm.height();

    TilePlan plan;
    for (const QSizeF sheet :
         {paperLandscape ? landscape : portrait, paperLandscape ? portrait : landscape}) {
        if (paperMm.width() <= sheet.width() + 0.5 && paperMm.height() <= sheet.height() + 0.5) {
            plan.sheetMm = sheet;
            plan.contentMm = QPointF(std::max(0.0, (sheet.width() - paperMm.width()) / 2.0),
                                     std::max(0.0, (sheet.height() - paperMm.height()) / 2.0));
            plan.tiles = {SheetTile{0, 0, QRectF(QPointF(), paperMm)}};
            return plan;
        }
    }

    int fewest = 0;
    for (const QSizeF sheet :
         {paperLandscape ? landscape : portrait, paperLandscape ? portrait : landscape}) {
        const QSizeF area(sheet.width() - 2 * kSheetMarginMm, sheet.height() - 2 * kSheetMarginMm);
        if (area.width() <= overlapMm || area.height() <= overlapMm) {
            continue;
        }
        const int columns = tilesAlong(paperMm.width(), area.width(), overlapMm);
        const int rows = tilesAlong(paperMm.height(), area.height(), overlapMm);
        if (fewest != 0 && rows * columns >= fewest) {
            continue;
        }
        fewest = rows * columns;
        plan = TilePlan();
        plan.sheetMm = sheet;
        plan.contentMm = QPointF(kSheetMarginMm, kSheetMarginMm);
        plan.rows = rows;
        plan.columns = columns;
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < columns; ++c) {
                const double x = c * (area.width() - overlapMm);
                const double y = r * (area.height() - overlapMm);
                plan.tiles.append(
                    SheetTile{r, c,
                              QRectF(x, y, std::min(area.width(), paperMm.width() - x),
                                     std::min(area.height(), paperMm.height() - y))});
            }
        }
    }
    return plan;
}

QList<QLineF> gridLinesOnPaper(const Grid& grid, const PicturePlacement& placement,
                               TwipScale scale) {
    const auto onPaper = [&](QPointF twips) { return placement.toPaper(scale.toPixels(twips)); };
    QList<QLineF> lines;
    for (const QLineF& l : grid.lines) {
        lines.append(QLineF(onPaper(l.p1()), onPaper(l.p2())));
    }
    if (grid.frame) {
        const QPointF tl = onPaper(grid.frame->topLeft());
        const QPointF br = onPaper(grid.frame->bottomRight());
        lines.append(QLineF(tl, QPointF(br.x(), tl.y())));
        lines.append(QLineF(QPointF(br.x(), tl.y()), br));
        lines.append(QLineF(br, QPointF(tl.x(), br.y())));
        lines.append(QLineF(QPointF(tl.x(), br.y()), tl));
    }
    return lines;
}

QString columnName(int index) {
    QString name;
    for (int i = index + 1; i > 0; i = (i - 1) / 26) {
        name.prepend(QChar(u'A' + (i - 1) % 26));
    }
    return name;
}

QList<CellLabel> cellLabels(const Grid& grid) {
    const QRectF box = frameOf(grid);
    if (box.isEmpty()) {
        return {};
    }
    // Positions closer than a twip are one line; lines outside the grid's box are left out.
    std::set<double> xs{box.left(), box.right()};
    std::set<double> ys{box.top(), box.bottom()};
    for (const QLineF& l : grid.lines) {
        if (l.x1() == l.x2() && l.x1() > box.left() && l.x1() < box.right()) {
            xs.insert(l.x1());
        } else if (l.y1() == l.y2() && l.y1() > box.top() && l.y1() < box.bottom()) {
            ys.insert(l.y1());
        }
    }
    const auto middles = [](const std::set<double>& edges) {
        QList<double> out;
        double last = *edges.begin();
        for (const double e : edges) {
            if (e - last >= 1.0) {
                out.append((last + e) / 2.0);
                last = e;
            }
        }
        return out;
    };
    QList<CellLabel> labels;
    const QList<double> columns = middles(xs);
    for (int i = 0; i < columns.size(); ++i) {
        labels.append(CellLabel{columnName(i), QPointF(columns[i], box.top()), true});
    }
    const QList<double> rows = middles(ys);
    for (int i = 0; i < rows.size(); ++i) {
        labels.append(CellLabel{QString::number(i + 1), QPointF(box.left(), rows[i]), false});
    }
    return labels;
}

QString paperText(const QString& name, QSizeF paperMm) {
    const auto cm = [](double mm) { return writeNumber(std::round(mm * 100.0) / 1000.0); };
    return name + u' ' + cm(paperMm.width()) + QStringLiteral(" x ") + cm(paperMm.height()) +
           QStringLiteral(" cm");
}

QString modePaperText(const QString& name, double firstCm, double secondCm) {
    return name + u' ' + writeNumber(firstCm) + QStringLiteral(" x ") + writeNumber(secondCm);
}

QString spacingText(const GridSpacing& spacing) {
    switch (spacing.kind) {
    case GridSpacing::Kind::Eighths:
        return QStringLiteral("1/") + writeNumber(spacing.value);
    case GridSpacing::Kind::EqualParts:
        return QCoreApplication::translate("PageLayout", "%1 等分").arg(writeNumber(spacing.value));
    case GridSpacing::Kind::Centimetres:
        return writeNumber(spacing.value) + QStringLiteral(" cm");
    }
    return QString();
}

QString wholePixelSubject(const QString& subject, QSize pixels) {
    // The sizes in the last parentheses, which a capture in a mode may have given decimals.
    static const QRegularExpression sized(QStringLiteral("^(.*) \\([^()]*x[^()]*\\)$"),
                                          QRegularExpression::DotMatchesEverythingOption);
    const QString trimmed = subject.trimmed();
    const QRegularExpressionMatch match = sized.match(trimmed);
    if (!match.hasMatch()) {
        return trimmed;
    }
    return match.captured(1) + QStringLiteral(" (%1x%2)").arg(pixels.width()).arg(pixels.height());
}

GridSpacing spacingOnPaper(const DrawnGrid& drawn, double firstCm, double secondCm) {
    GridSpacing spacing = drawn.spacing;
    if (spacing.kind != GridSpacing::Kind::Centimetres || !(spacing.paperCm > 0.0)) {
        return spacing;
    }
    // The side the selection stands for, by the rule the grid was drawn with: the first size
    // when the selection is wider than high, else the second.
    const QRectF frame = frameOf(drawn.grid);
    const double side = frame.width() > frame.height() ? firstCm : secondCm;
    if (!(side > 0.0) || !std::isfinite(side)) {
        return spacing;
    }
    spacing.value = std::round(spacing.value * side / spacing.paperCm * 100.0) / 100.0;
    spacing.paperCm = side;
    return spacing;
}

QString legendText(const QString& subject, QSize pixels, const QString& paper,
                   const QList<GridSpacing>& spacings) {
    QStringList grids;
    for (const GridSpacing& s : spacings) {
        const QString text = spacingText(s);
        if (!grids.contains(text)) {
            grids.append(text);
        }
    }
    const QString named = wholePixelSubject(subject, pixels);
    QString legend = named.isEmpty() ? paper : named + QStringLiteral(" — ") + paper;
    if (!grids.isEmpty()) {
        legend = QCoreApplication::translate("PageLayout", "%1、グリッド %2")
                     .arg(legend, grids.join(QStringLiteral(", ")));
    }
    return legend;
}

QPageSize::PageSizeId defaultPageSize(const QLocale& locale) {
    return locale.measurementSystem() == QLocale::ImperialUSSystem ? QPageSize::Letter
                                                                   : QPageSize::A4;
}

}  // namespace kiramo
