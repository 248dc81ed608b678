#pragma once

#include <QString>

namespace kiramo {

class Workspace;

// The prompt of the equal-parts grid, line ends CR LF as the dialog receives them.
[[nodiscard]] QString equalPartsPrompt(bool hasSelection);
// The prompt of the centimetre grid for a mode `name` of `first` x `second` cm, the selection
// in landscape position (wider than high) or not.
[[nodiscard]] QString centimetrePrompt(const QString& name, double first, double second,
                                       bool landscape);

// "1/8 分割": DrawDivisionGrid with 8.
void DrawDivisionGrid(Workspace& workspace, double n);
// "等分...": asks for N and draws N equal parts across the region, in square cells.
void drawEqualPartsGrid(Workspace& workspace);
// "寸法(cm)指定...": asks for S and draws S-centimetre squares over the selection, on the
// physical size of the current mode.
void drawCentimetreGrid(Workspace& workspace);
// "Grid Clear": the canvas as it was last committed.
void gridClear(Workspace& workspace);

}  // namespace kiramo
