#pragma once

#include "core/Associations.h"
#include "core/ModeTable.h"

#include <QString>

namespace kiramo {

// The shared state of the running program, owned by the main window. Window measures are in
// logical pixels of the main window's own geometry (menu bar included, window-manager frame
// excluded): the frame drawn by the window manager lies outside everything that is set here,
// so the window's inner area is exactly what the arithmetic says.
struct AppState {
    ModeTable modes;
    int ModeIndex = 0;

    // Measured once at start-up.
    int FrameExtraWidth = 0;   // window width minus the width of the canvas area
    int FrameExtraHeight = 0;  // window height minus the height of the canvas area (menu bar)
    int MinFormWidth = 0;      // window width at start-up; never narrower in normal state

    // Extension -> program, read from WIN.INI at start-up.
    AssociationTable associations;

    // Full path of the file the canvas was last loaded from or saved to; "" when untitled.
    QString CurrentFile;

    [[nodiscard]] QString currentModeName() const { return modes.ModeName(ModeIndex); }
};

}  // namespace kiramo
