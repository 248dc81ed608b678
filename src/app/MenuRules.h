#pragma once

namespace kiramo {

struct Form1Menus;
class Workspace;

// What the menus do as they drop down. File: "Send BMP(selected)" needs a selection. Edit: the
// centimetre grid needs a mode other than FreeSize and a selection. Nothing else is touched.
void fileMenuOpening(const Form1Menus& menus, const Workspace& workspace);
void editMenuOpening(const Form1Menus& menus, const Workspace& workspace);

}  // namespace kiramo
