#include "app/MenuRules.h"

#include "app/Form1Menus.h"
#include "app/MenuEntry.h"
#include "canvas/Workspace.h"

#include <QAction>

namespace kiramo {

bool dropDownAllows(const MenuEntry& entry, bool hasSelection, int modeIndex, bool imageArrived) {
    return (!entry.needsSelection || hasSelection) && (!entry.needsMode || modeIndex != 0) &&
           (!entry.needsImage || imageArrived);
}

void menuOpening(const Form1Menus& menus, const QMenu* opened, const Workspace& workspace) {
    const std::span<const MenuEntry> entries = form1MenuBar();
    for (qsizetype i = 0; i < qsizetype(entries.size()); ++i) {
        if (entries[i].hasDropDownRule() && menus.menuBarMenuOf(i) == opened) {
            Form1Menus::setCommandEnabled(
                menus.item(i), dropDownAllows(entries[i], workspace.hasSelection(),
                                              workspace.state.ModeIndex, menus.imageArrived()));
        }
    }
}

}  // namespace kiramo
