#pragma once

#include "canvas/Surface.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QWidget>

#include <cmath>

// Mouse input for the tests. Positions are device pixels from the widget's origin, the pixels of
// the frozen screen and of the canvas's image, so that one script serves every scale factor;
// each is sent as the logical position (position / device pixel ratio) that the window system
// reports for it.
namespace kiramo::testing {

// Sends one mouse event straight to `widget`, with the buttons and modifiers held as given
// (QTest's helpers cannot say which buttons are down during a move).
inline void sendMouse(QWidget* widget, QEvent::Type type, QPointF pos,
                      Qt::MouseButton button = Qt::NoButton,
                      Qt::MouseButtons buttons = Qt::NoButton,
                      Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    const double ratio = widget->devicePixelRatioF();
    const QPointF logical = pos / ratio;
    // The position in the window, as the window system reports it. A picture box is painted
    // from the device pixel nearest to its origin; `pos` is a pixel of the picture box that the
    // widget lies on (or of the widget itself).
    QWidget* box = widget;
    for (QWidget* w = widget; w != nullptr && !w->isWindow(); w = w->parentWidget()) {
        if (qobject_cast<Surface*>(w) != nullptr) {
            box = w;
        }
    }
    const QPointF origin = QPointF(box->mapTo(widget->window(), QPoint(0, 0))) * ratio;
    const QPointF inBox = QPointF(widget->mapTo(box, QPoint(0, 0))) * ratio + pos;
    const QPointF scene =
        (QPointF(std::floor(origin.x() + 0.5), std::floor(origin.y() + 0.5)) + inBox) / ratio;
    QMouseEvent event(type, logical, scene, widget->mapToGlobal(logical), button, buttons,
                      modifiers);
    QCoreApplication::sendEvent(widget, &event);
}

inline void press(QWidget* w, QPointF pos, Qt::MouseButton button = Qt::LeftButton) {
    sendMouse(w, QEvent::MouseButtonPress, pos, button, button);
}

inline void dragTo(QWidget* w, QPointF pos, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
                   Qt::MouseButtons buttons = Qt::LeftButton) {
    sendMouse(w, QEvent::MouseMove, pos, Qt::NoButton, buttons, modifiers);
}

inline void release(QWidget* w, QPointF pos, Qt::MouseButton button = Qt::LeftButton) {
    sendMouse(w, QEvent::MouseButtonRelease, pos, button, Qt::NoButton);
}

// The second press of a double-click, as Qt delivers it in place of a press.
inline void doubleClick(QWidget* w, QPointF pos, Qt::MouseButton button = Qt::LeftButton) {
    sendMouse(w, QEvent::MouseButtonDblClick, pos, button, button);
}

// A point `pos` (device pixels) of `child` in device pixels of its ancestor `host`.
inline QPointF devicePointIn(QWidget* host, QWidget* child, QPointF pos) {
    return QPointF(child->mapTo(host, QPoint(0, 0))) * child->devicePixelRatioF() + pos;
}

}  // namespace kiramo::testing
