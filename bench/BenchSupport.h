#pragma once

// What the benchmarks share: the main window started as main() starts it, a large test
// picture, and medians of repeated timings.
#include "app/Form1.h"
#include "app/Startup.h"
#include "capture/Form2.h"
#include "platform/QtServices.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace kiramo::bench {

[[nodiscard]] inline double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The median of `rounds` timings of `work` in milliseconds, `prepare` run untimed before each.
[[nodiscard]] inline double medianMs(
    int rounds, const std::function<void()>& work, const std::function<void()>& prepare = [] {}) {
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        prepare();
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    return median(times);
}

// The main window over the real services, not shown; nothing (with the reason on stderr) when
// start-up fails.
[[nodiscard]] inline std::unique_ptr<Form1> startMainWindow(QtServices& real) {
    QString error;
    std::unique_ptr<Form1> form = startKiramo(real.services(), QString(), &error);
    if (!form) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
    }
    return form;
}

// A `width` x `height` picture of smooth gradients, every pixel set (no blank area that
// a drawing or a scaling could skip).
[[nodiscard]] inline QImage gradientPicture(int width, int height) {
    QImage picture(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < width; ++x) {
            line[x] = qRgb(x & 255, y & 255, (x ^ y) & 255);
        }
    }
    return picture;
}

// Runs the event loop until a capture window has painted the frozen screen and the window system
// has it; false after five seconds without.
[[nodiscard]] inline bool waitForCaptureWindowPaint() {
    struct Watch : QObject {
        bool painted = false;
        bool eventFilter(QObject* watched, QEvent* event) override {
            if (event->type() == QEvent::Paint && qobject_cast<Form2*>(watched) != nullptr) {
                painted = true;
            }
            return false;
        }
    } watch;
    QCoreApplication::instance()->installEventFilter(&watch);
    QElapsedTimer waited;
    waited.start();
    QTimer wake;
    wake.start(100);  // the loop below looks at the clock at least this often
    // The paint is flushed to the window before the loop returns from the event that painted.
    while (!watch.painted && waited.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    QCoreApplication::instance()->removeEventFilter(&watch);
    QGuiApplication::sync();
    return watch.painted;
}

}  // namespace kiramo::bench
