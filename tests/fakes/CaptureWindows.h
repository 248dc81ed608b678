#pragma once

#include "capture/Form2.h"
#include "capture/WaitWindow.h"

#include <QApplication>
#include <QList>
#include <QPointer>

namespace kiramo::testing {

// Every capture window there is, shown or not.
[[nodiscard]] inline QList<Form2*> captureWindows() {
    QList<Form2*> windows;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* f = qobject_cast<Form2*>(w)) {
            windows.append(f);
        }
    }
    return windows;
}

// Removes what a capture that a failed test left behind: its windows outlive the main window
// that they read their modes from, and their events would reach it in the next test.
inline void removeCaptureWindows() {
    QList<QPointer<QWidget>> left;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (qobject_cast<Form2*>(w) != nullptr || qobject_cast<WaitWindow*>(w) != nullptr) {
            left.append(w);
        }
    }
    for (const QPointer<QWidget>& w : left) {
        delete w.data();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace kiramo::testing
