#pragma once

#include "core/GridStyle.h"

#include <QString>

namespace kiramo {

class GridStylePrompt;
class Workspace;

// The grid style kept in the INI file `file` (kiramo.conf), section [Grid]: color=#RRGGBB,
// width=1..5, opacity=0..100. A missing file, section or value, or a bad one, gives that
// value's default.
[[nodiscard]] GridStyle readGridStyle(const QString& file);

// Writes `style` into the [Grid] section of `file`, keeping the file's other settings. False
// when the file could not be written.
[[nodiscard]] bool writeGridStyle(const QString& file, const GridStyle& style);

// "Grid Style...": asks for the style, starting from the one kept, and keeps the answer for
// the grids drawn from then on. The grids already drawn stay as they are.
void gridStyleCommand(Workspace& workspace, GridStylePrompt& prompt);

}  // namespace kiramo
