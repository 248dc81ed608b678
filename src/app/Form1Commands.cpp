// The main window's menu commands, connected to the routines of each part of the program.
#include "app/Drops.h"
#include "app/Form1.h"
#include "app/MenuRules.h"
#include "exchange/Clipboard.h"
#include "exchange/HandOff.h"
#include "files/FileCommands.h"
#include "overlay/GridCommands.h"
#include "paper/PaperCommands.h"

#include <QAction>
#include <QDropEvent>
#include <QMenu>

namespace kiramo {

void Form1::connectCommands() {
    Workspace& w = m_workspace;
    const Form1Menus& m = m_menus;
    connect(m.MFile, &QMenu::aboutToShow, this, [&w, &m] { fileMenuOpening(m, w); });
    connect(m.MOpen, &QAction::triggered, this, [&w] { openCommand(w); });
    connect(m.MSave, &QAction::triggered, this, [&w] { saveAsCommand(w); });
    connect(m.MExportPdf, &QAction::triggered, this,
            [this, &w] { exportPdfCommand(w, m_paperOptions); });
    connect(m.MPrint, &QAction::triggered, this, [this, &w] { printCommand(w, m_paperOptions); });
    connect(m.MBmpEd, &QAction::triggered, this, [&w] { sendBitmap(w); });
    connect(m.MBmpEdS, &QAction::triggered, this, [&w] { sendSelectedBitmap(w); });
    connect(m.MORBELLO, &QAction::triggered, this, [&w] { sendToOrbello(w); });
    connect(m.MExit, &QAction::triggered, this, &QWidget::close);
    connect(m.MEdit, &QMenu::aboutToShow, this, [&w, &m] { editMenuOpening(m, w); });
    connect(m.MCopy, &QAction::triggered, this, [&w] { copyCommand(w); });
    connect(m.MPaste, &QAction::triggered, this, [&w] { pasteCommand(w); });
    connect(m.MWeb, &QAction::triggered, this, [&w] { openSupportPage(w); });
    connect(m.MCap, &QAction::triggered, this, &Form1::startCapture);
    connect(m.MPal, &QAction::triggered, this, &Form1::toggleColorTable);
    connect(m.MGrid8, &QAction::triggered, this, [&w] { DrawDivisionGrid(w, 8); });
    connect(m.MGridT, &QAction::triggered, this, [&w] { drawEqualPartsGrid(w); });
    connect(m.MGridCM, &QAction::triggered, this, [&w] { drawCentimetreGrid(w); });
    connect(m.MGridClear, &QAction::triggered, this, [&w] { gridClear(w); });
    connect(m.MCanvas[0], &QAction::triggered, this, [this] { selectMode(0); });
    setAcceptDrops(true);
}

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
