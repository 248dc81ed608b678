#pragma once

class QMenu;

namespace kiramo {

struct Form1Menus;
struct MenuEntry;
class Workspace;

// Whether a command with a drop-down rule may be chosen now (MenuEntry's needs...).
[[nodiscard]] bool dropDownAllows(const MenuEntry& entry, bool hasSelection, int modeIndex,
                                  bool imageArrived);

// What a menu of the menu bar does as it drops down: each command in it, submenus included, that
// has a drop-down rule is enabled or disabled by that rule. Nothing else is touched.
void menuOpening(const Form1Menus& menus, const QMenu* opened, const Workspace& workspace);

}  // namespace kiramo
