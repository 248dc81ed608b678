// Paper: the PDF export of an 8000 x 6000 picture with a centimetre grid, at true size on A4,
// beside a plain save of the same picture as PNG in the same run.
#include "BenchSupport.h"
#include "canvas/SizeLabel.h"
#include "canvas/Surface.h"
#include "overlay/GridCommands.h"
#include "paper/PaperCommands.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

using namespace kiramo;

namespace {

constexpr int kWidth = 8000;
constexpr int kHeight = 6000;

}  // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QtServices real;
    std::unique_ptr<Form1> form = bench::startMainWindow(real);
    if (!form) {
        return 1;
    }
    Workspace& w = form->workspace();
    const QImage picture = bench::gradientPicture(kWidth, kHeight);
    w.replacePicture(picture, QStringLiteral("bench.bmp (8000x6000)"));
    CaptureMode a4{QStringLiteral("A4 29.7x21"), QStringLiteral("A4"), 29.7, 21.0};
    w.state.modes.set(1, a4);
    w.state.ModeIndex = 1;
    DrawDivisionGrid(w, 8);

    QTemporaryDir folder;
    const QString pdf = folder.filePath(QStringLiteral("paper.pdf"));
    const QString png = folder.filePath(QStringLiteral("plain.png"));
    const PaperOptions options{true, QPageSize(QPageSize::A4), true};
    constexpr int kRounds = 3;
    using bench::medianMs;
    QString error;
    bool written = true;
    const double exportMs =
        medianMs(kRounds, [&] { written = written && writePdf(w, options, pdf, &error); });
    if (!written) {
        std::fprintf(stderr, "paper: the export failed: %s\n", qPrintable(error));
        return 1;
    }
    const double pngMs = medianMs(kRounds, [&] { picture.save(png, "PNG"); });
    std::printf("paper %dx%d picture, true size on A4 with a 1/8 grid (PDF %.1f MB):\n", kWidth,
                kHeight, QFile(pdf).size() / (1024.0 * 1024.0));
    std::printf("paper: PDF export %.1f ms (target < 1000 ms) %s\n", exportMs,
                exportMs < 1000.0 ? "ok" : "OVER TARGET");
    std::printf("paper: PNG save %.1f ms, ratio %.2fx (target <= 1x) %s\n", pngMs, exportMs / pngMs,
                exportMs <= pngMs ? "ok" : "OVER TARGET");
    return 0;
}
