// Grids on an 8000 x 6000 canvas: the "1/8" grid, equal parts with N = 100 and Grid Clear,
// each beside a plain full-image copy of the same canvas in the same run.
#include "app/Form1.h"
#include "app/Startup.h"
#include "canvas/Surface.h"
#include "overlay/GridCommands.h"
#include "overlay/GridDrawing.h"
#include "overlay/GridGeometry.h"
#include "platform/QtServices.h"

#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace kiramo;

namespace {

double medianMs(int rounds, const std::function<void()>& prepare,
                const std::function<void()>& work) {
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        prepare();
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QtServices real;
    QString error;
    std::unique_ptr<Form1> form = startKiramo(real.services(), QString(), &error);
    if (!form) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    QImage picture(8000, 6000, QImage::Format_RGB32);
    picture.fill(QColor(90, 120, 150));
    form->P1->setImage(picture);
    form->CommitCanvas();

    constexpr int kRounds = 7;
    const auto nothing = [] {};
    QImage sink;
    const double copy = medianMs(kRounds, nothing, [&] { sink = form->P1->image().copy(); });
    const auto clear = [&] { gridClear(*form); };
    const double eighths = medianMs(kRounds, clear, [&] { DrawDivisionGrid(*form, 8); });
    const double equal = medianMs(kRounds, clear, [&] {
        const ScreenMetrics& m = form->services.metrics;
        const QRectF region(0, 0, m.toTwipsX(8000), m.toTwipsY(6000));
        const Grid grid = equalPartsGrid(region, equalPartsStep(region.width(), 100));
        form->P1->editImage(
            [&](QImage& image) { drawGrid(image, grid, m.twipsPerPixelX, m.twipsPerPixelY); });
    });
    const double gridClearMs = medianMs(
        kRounds, [&] { DrawDivisionGrid(*form, 8); }, clear);

    std::printf("grid 8000x6000: full-image copy %.1f ms\n", copy);
    std::printf("grid: 1/8 %.1f ms = %.2fx a copy (target <= 1x) %s\n", eighths, eighths / copy,
                eighths <= copy ? "ok" : "OVER TARGET");
    std::printf("grid: equal parts N=100 %.1f ms = %.2fx a copy (target <= 1x) %s\n", equal,
                equal / copy, equal <= copy ? "ok" : "OVER TARGET");
    std::printf("grid: Grid Clear %.1f ms = %.2fx a copy (target <= 2x) %s\n", gridClearMs,
                gridClearMs / copy, gridClearMs <= 2 * copy ? "ok" : "OVER TARGET");
    return 0;
}
