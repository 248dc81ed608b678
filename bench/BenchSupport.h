#pragma once

// What the benchmarks share: the main window started as main() starts it, and medians of
// repeated timings.
#include "app/Form1.h"
#include "app/Startup.h"
#include "platform/QtServices.h"

#include <QElapsedTimer>

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

}  // namespace kiramo::bench
