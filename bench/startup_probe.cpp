// Starts either KIRAMO's main window, exactly as main() does, or a bare QMainWindow, and
// prints "shown" as soon as the window is first exposed on the screen, then ends at once.
// bench_startup runs it as a child process and times it from the outside.
#include "app/Form1.h"
#include "app/Startup.h"
#include "platform/QtServices.h"

#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QWindow>

#include <cstdio>
#include <cstdlib>

namespace {

class ExposeWatcher : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Expose && static_cast<QWindow*>(watched)->isExposed()) {
            std::fputs("shown\n", stdout);
            std::fflush(stdout);
            std::_Exit(0);
        }
        return false;
    }
};

void watch(QWidget& window, ExposeWatcher& watcher) {
    window.winId();  // creates the native window so that its expose can be watched
    window.windowHandle()->installEventFilter(&watcher);
    window.show();
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QByteArray which = argc > 1 ? QByteArray(argv[1]) : QByteArray("kiramo");
    ExposeWatcher watcher;
    if (which == "bare" || which == "bare-menu") {
        QMainWindow window;
        window.setWindowTitle(QStringLiteral("bare"));
        if (which == "bare-menu") {
            // The least a window with a menu bar does: load a font and lay out one menu.
            window.menuBar()->addMenu(QStringLiteral("&File"))->addAction(QStringLiteral("E&xit"));
        }
        watch(window, watcher);
        return QApplication::exec();
    }
    kiramo::QtServices real;
    QString error;
    std::unique_ptr<kiramo::Form1> form = kiramo::startKiramo(real.services(), QString(), &error);
    if (!form) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    watch(*form, watcher);
    return QApplication::exec();
}
