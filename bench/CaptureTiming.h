#pragma once

// What the capture benchmarks on real desktops share: one capture timed as the user meets it.
#include "BenchSupport.h"

#include <QTest>

#include <cstdio>
#include <optional>

namespace kiramo::bench {

// Shows the main window, then times "&Capture" until the capture window has painted the frozen
// screen, and gives the capture up; nothing (with the reason on stderr, after `what`) when a
// window never showed.
[[nodiscard]] inline std::optional<double> timeOneFreeze(Form1& form, const char* what) {
    form.show();
    if (!QTest::qWaitForWindowExposed(&form)) {
        std::fprintf(stderr, "%s: the main window never showed\n", what);
        return std::nullopt;
    }
    QTest::qWait(300);
    QElapsedTimer timer;
    timer.start();
    form.startCapture();
    if (!waitForCaptureWindowPaint()) {
        std::fprintf(stderr, "%s: the capture window never showed\n", what);
        return std::nullopt;
    }
    const double ms = timer.nsecsElapsed() / 1e6;
    form.captureWindow()->abandon();
    QTest::qWait(300);
    return ms;
}

}  // namespace kiramo::bench
