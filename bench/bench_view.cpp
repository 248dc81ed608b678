// The zoomed view of an 8000 x 6000 picture: a scroll step (three wheel lines) at 400 % and
// repainted, and Fit from Actual Size up to the repainted view, each beside a scroll step at
// 100 % in the same run.
#include "BenchSupport.h"
#include "app/CanvasView.h"
#include "canvas/Surface.h"

#include <QApplication>
#include <QScrollArea>
#include <QScrollBar>

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
    const QImage picture = bench::gradientPicture(8000, 6000);
    form->show();
    form->workspace().replacePicture(picture, std::nullopt);
    CanvasView& view = form->canvasView();
    auto* scroll = form->findChild<QScrollArea*>();
    QScrollBar* down = scroll->verticalScrollBar();
    const auto settle = [] {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    };
    const auto scrollStep = [&] {
        down->setValue(down->value() + 3 * down->singleStep());
        settle();
    };

    constexpr int kRounds = 15;
    view.actualSize();
    settle();
    const double oneToOne = medianMs(kRounds, scrollStep);
    view.zoomTo(4.0, QPointF(0, 0));
    settle();
    const double zoomed = medianMs(kRounds, scrollStep);
    const double fit = medianMs(
        5,
        [&] {
        view.fit();
        scroll->viewport()->repaint();
        settle();
        },
        [&] {
        view.actualSize();
        settle();
    });

    std::printf("view 8000x6000: scroll step at 100 %% %.2f ms\n", oneToOne);
    std::printf("view: scroll step at 400 %% %.2f ms = %.2fx one at 100 %% (target <= 16 ms) %s\n",
                zoomed, zoomed / oneToOne, zoomed <= 16.0 ? "ok" : "OVER TARGET");
    std::printf("view: Fit %.1f ms (target <= 100 ms) %s\n", fit,
                fit <= 100.0 ? "ok" : "OVER TARGET");
    return 0;
}
