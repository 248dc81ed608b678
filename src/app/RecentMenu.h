#pragma once

class QMenu;

namespace kiramo {

class Workspace;

// Fills File > Open Recent as it opens: "&1 <path>" ... for the recent pictures, newest first,
// a file that no longer exists greyed; then "Clear", which forgets them.
void fillRecentMenu(QMenu* menu, Workspace& workspace);

}  // namespace kiramo
