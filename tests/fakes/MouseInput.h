#pragma once

#include <QCoreApplication>
#include <QMouseEvent>
#include <QWidget>

namespace kiramo::testing {

// Sends one mouse event straight to `widget`, with the buttons and modifiers held as given
// (QTest's helpers cannot say which buttons are down during a move).
inline void sendMouse(QWidget* widget, QEvent::Type type, QPoint pos,
                      Qt::MouseButton button = Qt::NoButton,
                      Qt::MouseButtons buttons = Qt::NoButton,
                      Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QMouseEvent event(type, QPointF(pos), widget->mapToGlobal(QPointF(pos)), button, buttons,
                      modifiers);
    QCoreApplication::sendEvent(widget, &event);
}

inline void press(QWidget* w, QPoint pos, Qt::MouseButton button = Qt::LeftButton) {
    sendMouse(w, QEvent::MouseButtonPress, pos, button, button);
}

inline void dragTo(QWidget* w, QPoint pos, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
                   Qt::MouseButtons buttons = Qt::LeftButton) {
    sendMouse(w, QEvent::MouseMove, pos, Qt::NoButton, buttons, modifiers);
}

inline void release(QWidget* w, QPoint pos, Qt::MouseButton button = Qt::LeftButton) {
    sendMouse(w, QEvent::MouseButtonRelease, pos, button, Qt::NoButton);
}

inline void doubleClick(QWidget* w, QPoint pos) {
    sendMouse(w, QEvent::MouseButtonDblClick, pos, Qt::LeftButton, Qt::LeftButton);
}

}  // namespace kiramo::testing
