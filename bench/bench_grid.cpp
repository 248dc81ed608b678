// Grids on an 8000 x 6000 canvas: the "1/8" grid, equal parts with N = 100 and Grid Clear,
// each beside a plain full-image copy of the same canvas in the same run.
#include "BenchSupport.h"
#include "canvas/Surface.h"
#include "core/GridGeometry.h"
#include "overlay/GridCommands.h"
#include "overlay/GridDrawing.h"

#include <QApplication>

#include <cstdio>

using namespace kiramo;

using kiramo::bench::medianMs;

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QtServices real;
    std::unique_ptr<Form1> form = bench::startMainWindow(real);
    if (!form) {
        return 1;
    }
    QImage picture(8000, 6000, QImage::Format_RGB32);
    picture.fill(QColor(90, 120, 150));
    form->workspace().P1->setImage(picture);
    form->workspace().CommitCanvas();

    constexpr int kRounds = 7;
    QImage sink;
    const double copy = medianMs(kRounds, [&] { sink = form->workspace().P1->image().copy(); });
    const auto clear = [&] { gridClear(form->workspace()); };
    const double eighths = medianMs(
        kRounds, [&] { DrawDivisionGrid(form->workspace(), 8); }, clear);
    // The equal-parts command without its prompt: the same geometry and drawing.
    const auto equalParts = [&] {
        const ScreenMetrics& m = form->workspace().services.metrics;
        const QRectF region(0, 0, m.toTwipsX(8000), m.toTwipsY(6000));
        const Grid grid = equalPartsGrid(region, equalPartsStep(region.width(), 100));
        form->workspace().P1->editImage(
            [&](QImage& image) { drawGrid(image, grid, twipScaleOf(m)); });
    };
    const double equal = medianMs(kRounds, equalParts, clear);
    const double gridClearMs =
        medianMs(kRounds, clear, [&] { DrawDivisionGrid(form->workspace(), 8); });

    std::printf("grid 8000x6000: full-image copy %.1f ms\n", copy);
    std::printf("grid: 1/8 %.1f ms = %.2fx a copy (target <= 1x) %s\n", eighths, eighths / copy,
                eighths <= copy ? "ok" : "OVER TARGET");
    std::printf("grid: equal parts N=100 %.1f ms = %.2fx a copy (target <= 1x) %s\n", equal,
                equal / copy, equal <= copy ? "ok" : "OVER TARGET");
    std::printf("grid: Grid Clear %.1f ms = %.2fx a copy (target <= 2x) %s\n", gridClearMs,
                gridClearMs / copy, gridClearMs <= 2 * copy ? "ok" : "OVER TARGET");
    return 0;
}
