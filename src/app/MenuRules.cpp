#include "app/MenuRules.h"

#include "app/Form1Menus.h"
#include "canvas/Workspace.h"

#include <QAction>

namespace kiramo {

void fileMenuOpening(const Form1Menus& menus, const Workspace& workspace) {
    Form1Menus::setCommandEnabled(menus.MBmpEdS, workspace.hasSelection());
}

void editMenuOpening(const Form1Menus& menus, const Workspace& workspace) {
    menus.MGridCM->setEnabled(workspace.state.ModeIndex != 0 && workspace.hasSelection());
}

}  // namespace kiramo
