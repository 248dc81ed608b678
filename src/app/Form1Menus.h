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
    QAction* MSaveFile = nullptr;
    QMenu* MRecent = nullptr;  // filled as it opens (fillRecentMenu)
    QAction* MRestore = nullptr;

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
    QAction* MUndo = nullptr;
    QAction* MRedo = nullptr;

    QMenu* MView = nullptr;
    QAction* MZoomIn = nullptr;
    QAction* MZoomOut = nullptr;
    QAction* MActualSize = nullptr;
    QAction* MFit = nullptr;
    QAction* MGreyscale = nullptr;
    QAction* MValues3 = nullptr;
    QAction* MValues5 = nullptr;
    QAction* MMirror = nullptr;
    QAction* MCellLabels = nullptr;
    QAction* MZoomShown = nullptr;  // the zoom, as text; never enabled

    QMenu* MOption = nullptr;
    QAction* MCap = nullptr;
    QAction* MSpMode = nullptr;
    QMenu* MMode = nullptr;
    // The Mode items by index 0..30; an index without a mode has no item (nullptr).
    QList<QAction*> MCanvas;
    // Below the Mode items: every mode's rectangle turned, checked while chosen.
    QAction* MSpLandscape = nullptr;
    QAction* MLandscape = nullptr;

    QMenu* MHelp = nullptr;
    QAction* MWeb = nullptr;

    // Builds the whole menu bar of form1MenuBar() in its start-up state, the Mode menu holding
    // "FreeSize" only.
    void build(QMenuBar* bar);

    // The item built for entry `index` of form1MenuBar() (for a menu, the menu's own action).
    [[nodiscard]] QAction* item(qsizetype index) const { return m_items.at(index); }
    // The menu of the menu bar that entry `index` sits in, through any submenus.
    [[nodiscard]] const QMenu* menuBarMenuOf(qsizetype index) const {
        return m_menuBarMenus.at(index);
    }

    // EnableImageCommands: every command that needs an image is enabled, for the rest of the run.
    void enableImageCommands();
    [[nodiscard]] bool imageArrived() const { return m_imageArrived; }

    // Enabled state of a command. A hidden QAction always reports itself disabled, so the
    // state that the program gives the (hidden) Send items is kept beside the action too.
    static void setCommandEnabled(QAction* action, bool enabled);
    [[nodiscard]] static bool isCommandEnabled(const QAction* action);

    // Adds Mode item `index` with `caption` below the Mode items before it, above the
    // menu's other items.
    QAction* addModeItem(int index, const QString& caption);

private:
    QList<QAction*> m_items;             // by entry of form1MenuBar()
    QList<const QMenu*> m_menuBarMenus;  // by entry of form1MenuBar()
    bool m_imageArrived = false;
};

}  // namespace kiramo
