#include "canvas/BackgroundWork.h"

#include "core/WorkProgress.h"
#include "platform/Prompts.h"

#include <QCursor>
#include <QEventLoop>
#include <QGuiApplication>
#include <QThread>
#include <QTimer>

#include <memory>

namespace kiramo {

void runOffUiThread(Prompts& prompts, const QString& text, WorkProgress& progress,
                    const std::function<void()>& work) {
    QEventLoop loop;
    const std::unique_ptr<QThread> thread(QThread::create(work));
    // Emitted on the worker thread: the loop hears of it through its own queue, also when the
    // work ended before the loop began.
    QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit);
    const std::unique_ptr<ProgressWindow> window = prompts.showProgress(text, kProgressDelayMs);
    bool takingInput = false;
    bool arrow = false;  // the hourglass of the command gave way to the pointer for Cancel
    auto look = [&] {
        if (!window) {
            return;
        }
        if (window->cancelRequested()) {
            progress.abandon();
        }
        window->setPermille(progress.permille());
        if (!takingInput && window->isShown()) {
            if (!arrow && QGuiApplication::overrideCursor() != nullptr) {
                QGuiApplication::setOverrideCursor(QCursor(Qt::ArrowCursor));
                arrow = true;
            }
            loop.quit();  // from now on the loop takes input, for the window
        }
    };
    look();  // a window may answer at once
    thread->start();
    QTimer ticks;
    QObject::connect(&ticks, &QTimer::timeout, &loop, look);
    ticks.start(50);
    while (!thread->isFinished()) {
        takingInput = window && window->isShown();
        // Held-back input is delivered by the next loop that takes it. A quit of the program
        // ends every loop, and makes every new one end at once (-1).
        if (loop.exec(takingInput ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents) <
            0) {
            break;
        }
    }
    thread->wait();
    if (arrow) {
        QGuiApplication::restoreOverrideCursor();
    }
}

}  // namespace kiramo
