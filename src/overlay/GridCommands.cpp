#include "overlay/GridCommands.h"

#include "canvas/Workspace.h"
#include "core/GridGeometry.h"
#include "core/NumberText.h"
#include "overlay/GridDrawing.h"
#include "overlay/GridStyleSettings.h"
#include "platform/Prompts.h"

#include <QCoreApplication>

namespace kiramo {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// The selection when there is one, else the whole canvas (twips).
QRectF gridRegion(const Workspace& workspace) {
    return workspace.hasSelection() ? workspace.selectionTwips() : workspace.pictureTwips();
}

// Draws the grid into the canvas in the style of the moment as one step for Undo, named as the
// Grid menu names the command, and records it for printouts. The style is read from kiramo.conf
// each time, so an edit of the file counts from the next grid.
void draw(Workspace& workspace, const char* step, const Grid& grid, GridSpacing spacing) {
    const TwipScale scale = workspace.scale();
    const GridStyle style = readGridStyle(workspace.folders().userSettingsFile());
    workspace.drawGridStep(step, grid, spacing, gridPixelLines(grid, scale), style,
                           [&](QImage& image) { drawGrid(image, grid, scale, style); });
}

// A number answer within 1..100, or nothing for an empty or out-of-range answer.
std::optional<double> askNumber(Workspace& workspace, const QString& prompt, const QString& title,
                                const QString& defaultAnswer) {
    const QString answer = workspace.prompts().askText(prompt, title, defaultAnswer);
    if (answer.isEmpty()) {
        return std::nullopt;
    }
    const double value = readNumber(answer);
    if (value < 1.0 || value > 100.0) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

QString equalPartsPrompt(bool hasSelection) {
    return kCrLf +
           (hasSelection ? QCoreApplication::translate("GridCommands", "選択部分左右幅を基準に")
                         : QCoreApplication::translate("GridCommands", "画像左右幅を基準に")) +
           kCrLf + QCoreApplication::translate("GridCommands", "何等分のグリッドを描きますか？") +
           kCrLf;
}

QString centimetrePrompt(const QString& name, double first, double second, bool landscape) {
    return name + QStringLiteral(" [ ") + writeNumber(first) + u'x' + writeNumber(second) +
           (landscape ? QCoreApplication::translate("GridCommands", " ] 横位置")
                      : QCoreApplication::translate("GridCommands", " ] 縦位置")) +
           kCrLf + QCoreApplication::translate("GridCommands", "画像左上を基点に") + kCrLf +
           QCoreApplication::translate("GridCommands", "何cmのグリッドを描きますか？") + kCrLf;
}

void DrawDivisionGrid(Workspace& workspace, double n) {
    draw(workspace, QT_TRANSLATE_NOOP("Form1Menus", "1/8 分割"),
         divisionGrid(gridRegion(workspace), n), {GridSpacing::Kind::Eighths, n});
    workspace.hideSelection();
}

void drawEqualPartsGrid(Workspace& workspace) {
    const std::optional<double> n = askNumber(
        workspace, equalPartsPrompt(workspace.hasSelection()),
        QCoreApplication::translate("GridCommands", "等分グリッドの指定"), QStringLiteral("10"));
    if (!n) {
        return;
    }
    const QRectF region = gridRegion(workspace);
    const Grid grid = equalPartsGrid(region, equalPartsStep(region.width(), *n));
    if (grid.isEmpty()) {
        return;  // a region narrower than N twips: no spacing, nothing drawn
    }
    draw(workspace, QT_TRANSLATE_NOOP("Form1Menus", "等分..."), grid,
         {GridSpacing::Kind::EqualParts, *n});
    workspace.hideSelection();
}

void drawCentimetreGrid(Workspace& workspace) {
    Prompts& prompts = workspace.prompts();
    // Without a selection the whole canvas stands for the paper, upright or lying by its shape.
    const QRectF selection = gridRegion(workspace);
    if (workspace.isFreeSize()) {
        prompts.beep();
        prompts.showMessage(
            QCoreApplication::translate("GridCommands", "FreeSizeは寸法(cm)指定ができません"));
        return;
    }
    const CaptureMode mode = workspace.currentMode();
    // In landscape position the first size is the width, in portrait (a square too) the second.
    const bool landscape = selection.width() > selection.height();
    const double base = landscape ? mode.width : mode.height;
    if (!(base > 0.0)) {
        prompts.beep();
        prompts.showMessage(
            QCoreApplication::translate("GridCommands", "%1は寸法が0のため寸法(cm)指定ができません")
                .arg(mode.name));
        return;
    }
    const std::optional<double> centimetres = askNumber(
        workspace, centimetrePrompt(mode.name, mode.width, mode.height, landscape),
        QCoreApplication::translate("GridCommands", "グリッド寸法の指定"), QStringLiteral("5"));
    if (!centimetres) {
        return;
    }
    const std::optional<double> step = centimetreStep(selection.width(), *centimetres, base);
    const Grid grid = centimetreGrid(selection, step.value_or(0.0), workspace.scale());
    if (grid.isEmpty()) {
        return;  // a selection without width: no spacing, nothing drawn
    }
    draw(workspace, QT_TRANSLATE_NOOP("Form1Menus", "寸法(cm)指定..."), grid,
         {GridSpacing::Kind::Centimetres, *centimetres, base});
    workspace.hideSelection();
}

void gridClear(Workspace& workspace) {
    workspace.restoreCommittedCanvas();
}

}  // namespace kiramo
