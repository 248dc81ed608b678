#pragma once

#include <QString>

namespace kiramo {

struct Form1Menus;
class Workspace;

// What Undo (Redo) says it takes back (does again): the step's menu caption without its
// mnemonic and its "...", translated as the menu translates it.
[[nodiscard]] QString undoCaption(const char* step);
[[nodiscard]] QString redoCaption(const char* step);

// Undo and Redo enabled while there is a step for them, captioned with it.
void showHistoryItems(Form1Menus& menus, const Workspace& workspace);

}  // namespace kiramo
