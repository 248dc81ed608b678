#pragma once

#include <QList>

class QAction;
class QMenu;
class QMenuBar;

namespace kiramo {

struct CaptureMode;

// What the Mode item of a mode without usable sizes says about it: why it does not work (sizes
// that cannot be read, or sizes that are not above 0), and the form that a mode line takes.
// Empty for a mode whose sizes are usable.
[[nodiscard]] QString unusableModeNote(const CaptureMode& mode);

// The main window's menu items, named as in the program's design. Separators are actions too.
struct Form1Menus {
    QMenu* MFile = nullptr;
    QAction* MOpen = nullptr;
    QAction* MSave = nullptr;
    QAction* MExportPdf = nullptr;
    QAction* MPrint = nullptr;
    QAction* MBmpEd = nullptr;
    QAction* MBmpEdS = nullptr;
    QAction* MORBELLO = nullptr;
    QAction* MSPExit = nullptr;
    QAction* MExit = nullptr;

    QMenu* MEdit = nullptr;
    QAction* MCopy = nullptr;
    QAction* MPaste = nullptr;
    QAction* MSpPal = nullptr;
    QAction* MPal = nullptr;
    QAction* MSPGrid = nullptr;
    QMenu* MGrid = nullptr;
    QAction* MGrid8 = nullptr;
    QAction* MGridT = nullptr;
    QAction* MGridCM = nullptr;
    QAction* MGridClear = nullptr;

    QMenu* MOption = nullptr;
    QAction* MCap = nullptr;
    QAction* MSpMode = nullptr;
    QMenu* MMode = nullptr;
    // The Mode items by index 0..30; an index without a mode has no item (nullptr).
    QList<QAction*> MCanvas;

    QMenu* MHelp = nullptr;
    QAction* MWeb = nullptr;

    // Builds the whole menu bar in its start-up state: Save As, Export PDF, Print and Copy
    // disabled, the three Send items hidden and disabled, the Mode menu holding "FreeSize" only.
    void build(QMenuBar* bar);

    // Enabled state of a command. A hidden QAction always reports itself disabled, so the
    // state that the program gives the (hidden) Send items is kept beside the action too.
    static void setCommandEnabled(QAction* action, bool enabled);
    [[nodiscard]] static bool isCommandEnabled(const QAction* action);

    // Adds Mode item `index` with `caption` below the items before it.
    QAction* addModeItem(int index, const QString& caption);
};

}  // namespace kiramo
