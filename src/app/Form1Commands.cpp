// The main window's menu commands, connected to the routines of each part of the program.
#include "app/Form1.h"
#include "capture/Capture.h"
#include "exchange/Clipboard.h"
#include "exchange/HandOff.h"
#include "files/FileCommands.h"
#include "overlay/GridCommands.h"

#include <QAction>
#include <QMenu>

namespace kiramo {

void Form1::connectCommands() {
    connect(menus.MOpen, &QAction::triggered, this, [this] { openCommand(*this); });
    connect(menus.MSave, &QAction::triggered, this, [this] { saveAsCommand(*this); });
    connect(menus.MBmpEd, &QAction::triggered, this, [this] { sendBitmap(*this); });
    connect(menus.MBmpEdS, &QAction::triggered, this, [this] { sendSelectedBitmap(*this); });
    connect(menus.MORBELLO, &QAction::triggered, this, [this] { sendToOrbello(*this); });
    connect(menus.MEdit, &QMenu::aboutToShow, this, [this] { editMenuOpening(*this); });
    connect(menus.MCopy, &QAction::triggered, this, [this] { copyCommand(*this); });
    connect(menus.MPaste, &QAction::triggered, this, [this] { pasteCommand(*this); });
    connect(menus.MWeb, &QAction::triggered, this, [this] { openSupportPage(*this); });
    connect(menus.MCap, &QAction::triggered, this, [this] { startCapture(*this); });
    connect(menus.MPal, &QAction::triggered, this, &Form1::toggleColorTable);
    connect(menus.MGrid8, &QAction::triggered, this, [this] { DrawDivisionGrid(*this, 8); });
    connect(menus.MGridT, &QAction::triggered, this, [this] { drawEqualPartsGrid(*this); });
    connect(menus.MGridCM, &QAction::triggered, this, [this] { drawCentimetreGrid(*this); });
    connect(menus.MGridClear, &QAction::triggered, this, [this] { gridClear(*this); });
}

}  // namespace kiramo
