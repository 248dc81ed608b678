// The main window's menu commands, connected to the routines of each part of the program.
#include "app/Form1.h"
#include "capture/Capture.h"

#include <QAction>

namespace kiramo {

void Form1::connectCommands() {
    connect(menus.MCap, &QAction::triggered, this, [this] { startCapture(*this); });
    connect(menus.MPal, &QAction::triggered, this, &Form1::toggleColorTable);
}

}  // namespace kiramo
