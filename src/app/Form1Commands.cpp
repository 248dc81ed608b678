// The main window's menu commands, connected to the routines of each part of the program.
#include "app/Form1.h"
#include "capture/Capture.h"
#include "files/FileCommands.h"
#include "overlay/GridCommands.h"

#include <QAction>

namespace kiramo {

void Form1::connectCommands() {
    connect(menus.MOpen, &QAction::triggered, this, [this] { openCommand(*this); });
    connect(menus.MSave, &QAction::triggered, this, [this] { saveAsCommand(*this); });
    connect(menus.MCap, &QAction::triggered, this, [this] { startCapture(*this); });
    connect(menus.MPal, &QAction::triggered, this, &Form1::toggleColorTable);
    connect(menus.MGrid8, &QAction::triggered, this, [this] { DrawDivisionGrid(*this, 8); });
    connect(menus.MGridT, &QAction::triggered, this, [this] { drawEqualPartsGrid(*this); });
    connect(menus.MGridCM, &QAction::triggered, this, [this] { drawCentimetreGrid(*this); });
    connect(menus.MGridClear, &QAction::triggered, this, [this] { gridClear(*this); });
}

}  // namespace kiramo
