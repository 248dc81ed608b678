// Undo's memory on an 8000 x 6000 picture: 20 grids drawn one after the other (the whole canvas
// divided into 2 to 21 parts, diagonals included), the bytes the history keeps for them and the
// process's peak resident memory, against the history's bound; then all 20 taken back.
#include "BenchSupport.h"
#include "canvas/Surface.h"
#include "core/EditHistory.h"
#include "overlay/GridCommands.h"

#include <QApplication>
#include <QFile>
#include <QRandomGenerator>

#include <cstdio>

using namespace kiramo;

namespace {

// A line of /proc/self/status in megabytes ("VmHWM", the peak; "VmRSS", now); 0 elsewhere.
double statusMegabytes(const QByteArray& key) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return 0.0;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(key + ':')) {
            return line.mid(key.size() + 1).trimmed().split(' ').first().toDouble() / 1024.0;
        }
    }
    return 0.0;
}

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
    // Photo-like: every pixel its own colour, so nothing compresses by accident.
    QImage picture(8000, 6000, QImage::Format_RGB32);
    QRandomGenerator random(23);
    for (int y = 0; y < picture.height(); ++y) {
        random.fillRange(reinterpret_cast<quint32*>(picture.scanLine(y)), picture.width());
    }
    w.replacePicture(picture, QStringLiteral("bench.bmp (8000x6000)"), "&Open...",
                     QStringLiteral("bench.bmp"));
    // `picture` shares its pixels with the committed copy: it costs nothing more.
    QCoreApplication::processEvents();  // the canvas takes its own copy, as after a load
    const double loaded = statusMegabytes("VmRSS");

    constexpr int kGrids = 20;
    QElapsedTimer timer;
    timer.start();
    for (int n = 2; n < 2 + kGrids; ++n) {
        DrawDivisionGrid(w, n);
    }
    const double drawMs = timer.nsecsElapsed() / 1e6 / kGrids;
    const double historyMb = w.history().bytes() / 1048576.0;
    const double peak = statusMegabytes("VmHWM");
    const double bound = EditHistory::kMaxBytes / 1048576.0;

    timer.restart();
    while (w.history().canUndo() && w.history().undoLabel() != std::string_view("&Open...")) {
        w.undo();
    }
    const double undoMs = timer.nsecsElapsed() / 1e6 / kGrids;
    const bool exact = w.drawnGrids().isEmpty() && w.picture() == picture;

    std::printf("history 8000x6000: %d grids keep %.1f MB in %d steps (bound %.0f MB) %s\n", kGrids,
                historyMb, w.history().stepCount(), bound,
                historyMb <= bound ? "ok" : "OVER BOUND");
    std::printf("history: peak resident memory %.0f MB, %.0f MB with the picture loaded "
                "(target <= %.0f MB) %s\n",
                peak, loaded, bound, peak <= bound ? "ok" : "OVER TARGET");
    std::printf("history: a grid with its step %.1f ms, its Undo %.1f ms; all undone %s\n", drawMs,
                undoMs, exact ? "ok" : "WRONG");
    return 0;
}
