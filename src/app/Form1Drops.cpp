// Pictures dropped on the main window.
#include "app/Drops.h"
#include "app/Form1.h"

#include <QDropEvent>

namespace kiramo {

namespace {

// Every drag is welcome, so that the drop of something that is no picture arrives and gets its
// beep. Always as a copy: the program that a file comes from must never delete it afterwards.
void acceptAsCopy(QDropEvent* event) {
    if (event->possibleActions().testFlag(Qt::CopyAction)) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

}  // namespace

void Form1::dragEnterEvent(QDragEnterEvent* event) {
    acceptAsCopy(event);
}

void Form1::dragMoveEvent(QDragMoveEvent* event) {
    acceptAsCopy(event);
}

void Form1::dropEvent(QDropEvent* event) {
    if (dropCommand(m_workspace, *event->mimeData())) {
        acceptAsCopy(event);
    } else {
        event->ignore();  // the source learns that nothing was taken
    }
}

}  // namespace kiramo
