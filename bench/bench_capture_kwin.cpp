// Reading the screen on KDE Plasma through the grabber the session gets (KWin's own screenshot
// interface, or the portal where KWin says no): the time from start() to grabbed(), median of
// 15; the first picture of the primary monitor goes into the file named, if any. Run by hand inside
// a KDE session; KWin lets it in only through a desktop entry naming its executable (see
// kiramo.desktop).
#include "BenchSupport.h"
#include "platform/ScreenGrabber.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QImage>

#include <cstdio>
#include <memory>
#include <vector>

using namespace kiramo;

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    std::unique_ptr<ScreenGrabber> grabber(createScreenGrabber());
    std::vector<double> times;
    QString sizes;
    for (int round = 0; round < 15; ++round) {
        QEventLoop loop;
        QString outcome;
        QObject::connect(grabber.get(), &ScreenGrabber::grabbed, &loop,
                         [&](const FrozenScreens& screens) {
            if (round == 0 && argc > 1 && !screens.isEmpty()) {
                screens.constFirst().image.save(QString::fromLocal8Bit(argv[1]));
            }
            sizes.clear();
            for (const FrozenScreen& s : screens) {
                sizes += QStringLiteral(" %1 %2x%3")
                             .arg(s.name)
                             .arg(s.image.width())
                             .arg(s.image.height());
            }
            loop.quit();
        });
        QObject::connect(grabber.get(), &ScreenGrabber::failed, &loop, [&](const QString& why) {
            outcome = why;
            loop.quit();
        });
        QObject::connect(grabber.get(), &ScreenGrabber::denied, &loop, [&](const QString& why) {
            outcome = why;
            loop.quit();
        });
        QObject::connect(grabber.get(), &ScreenGrabber::refused, &loop, [&] {
            outcome = QStringLiteral("refused");
            loop.quit();
        });
        QElapsedTimer timer;
        timer.start();
        grabber->start();
        loop.exec();
        if (!outcome.isEmpty()) {
            std::fprintf(stderr, "capture on KDE: %s\n", qPrintable(outcome));
            return 1;
        }
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::printf("capture on KDE:%s: first %.1f ms, median of %zu %.1f ms\n", qPrintable(sizes),
                times.front(), times.size(), bench::median(times));
    return 0;
}
