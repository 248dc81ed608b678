// Start-up time: from starting the process to its main window first shown, for KIRAMO and for
// a bare QMainWindow program, measured alternately in the same run. Prints the medians and
// their ratio against the target.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double timeOnce(const QString& probe, const QString& which) {
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer timer;
    timer.start();
    process.start(probe, {which});
    while (process.waitForReadyRead(10000)) {
        if (process.readAll().contains("shown")) {
            const double ms = timer.nsecsElapsed() / 1e6;
            process.waitForFinished(5000);
            return ms;
        }
    }
    process.kill();
    process.waitForFinished();
    return -1.0;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QString probe = QCoreApplication::applicationDirPath() + QStringLiteral("/startup_probe");
    constexpr int kRounds = 15;
    const QStringList kinds{QStringLiteral("kiramo"), QStringLiteral("bare"),
                            QStringLiteral("bare-menu")};
    std::vector<std::vector<double>> times(kinds.size());
    for (const QString& kind : kinds) {
        timeOnce(probe, kind);  // warm the file cache
    }
    for (int i = 0; i < kRounds; ++i) {
        for (qsizetype k = 0; k < kinds.size(); ++k) {
            const double ms = timeOnce(probe, kinds[k]);
            if (ms < 0) {
                std::fprintf(stderr, "startup: the probe did not show its window\n");
                return 1;
            }
            times[k].push_back(ms);
        }
    }
    const double kiramo = median(times[0]);
    const double bare = median(times[1]);
    const double bareMenu = median(times[2]);
    std::printf("startup: kiramo %.1f ms, bare QMainWindow %.1f ms, bare QMainWindow with a "
                "one-item menu bar %.1f ms (medians of %d)\n",
                kiramo, bare, bareMenu, kRounds);
    const double ratio = kiramo / bare;
    std::printf("startup: ratio to bare %.2fx (target <= 1.30x) %s\n", ratio,
                ratio <= 1.30 ? "ok" : "OVER TARGET");
    std::printf("startup: ratio to bare with menu bar %.2fx\n", kiramo / bareMenu);
    return 0;
}
