#include "overlay/GridCommands.h"

#include "canvas/SizeLabel.h"
#include "canvas/Surface.h"
#include "canvas/Workspace.h"
#include "core/GridGeometry.h"
#include "core/NumberText.h"
#include "overlay/GridDrawing.h"
#include "platform/Prompts.h"

#include <QCoreApplication>

namespace kiramo {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// The selection when there is one, else the whole canvas (twips).
QRectF gridRegion(const Workspace& workspace) {
    if (workspace.hasSelection()) {
        const LabelRect& r = workspace.L1->rect();
        return QRectF(r.left, r.top, r.width, r.height);
    }
    const ScreenMetrics& m = workspace.services.metrics;
    const QSize pixels = workspace.P1->imageSize();
    return QRectF(0.0, 0.0, m.toTwipsX(pixels.width()), m.toTwipsY(pixels.height()));
}

// Draws the grid into the canvas and records it for printouts.
void draw(Workspace& workspace, const Grid& grid, GridSpacing spacing) {
    const ScreenMetrics& m = workspace.services.metrics;
    workspace.P1->editImage(
        [&](QImage& image) { drawGrid(image, grid, m.twipsPerPixelX, m.twipsPerPixelY); });
    workspace.recordGrid(grid, spacing);
}

// A number answer within 1..100, or nothing for an empty or out-of-range answer.
std::optional<double> askNumber(Workspace& workspace, const QString& prompt, const QString& title,
                                const QString& defaultAnswer) {
    const QString answer = workspace.services.prompts.askText(prompt, title, defaultAnswer);
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
    draw(workspace, divisionGrid(gridRegion(workspace), n), {GridSpacing::Kind::Eighths, n});
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
    draw(workspace, grid, {GridSpacing::Kind::EqualParts, *n});
    workspace.hideSelection();
}

void drawCentimetreGrid(Workspace& workspace) {
    Prompts& prompts = workspace.services.prompts;
    if (!workspace.hasSelection()) {
        prompts.showMessage(
            QCoreApplication::translate("GridCommands", "範囲が選択されていません"));
        return;
    }
    const LabelRect& r = workspace.L1->rect();
    const QRectF selection(r.left, r.top, r.width, r.height);
    const int mode = workspace.state.ModeIndex;
    if (mode == 0) {
        prompts.beep();
        prompts.showMessage(
            QCoreApplication::translate("GridCommands", "FreeSizeは寸法(cm)指定ができません"));
        return;
    }
    const ModeTable& modes = workspace.state.modes;
    // In landscape position the first size is the width, in portrait (a square too) the second.
    const bool landscape = selection.width() > selection.height();
    const double base = landscape ? modes.ModeWidth(mode) : modes.ModeHeight(mode);
    if (!(base > 0.0)) {
        prompts.beep();
        prompts.showMessage(
            QCoreApplication::translate("GridCommands", "%1は寸法が0のため寸法(cm)指定ができません")
                .arg(modes.ModeName(mode)));
        return;
    }
    const std::optional<double> centimetres = askNumber(
        workspace,
        centimetrePrompt(modes.ModeName(mode), modes.ModeWidth(mode), modes.ModeHeight(mode),
                         landscape),
        QCoreApplication::translate("GridCommands", "グリッド寸法の指定"), QStringLiteral("5"));
    if (!centimetres) {
        return;
    }
    const std::optional<double> step = centimetreStep(selection.width(), *centimetres, base);
    const ScreenMetrics& m = workspace.services.metrics;
    const Grid grid =
        centimetreGrid(selection, step.value_or(0.0), m.twipsPerPixelX, m.twipsPerPixelY);
    if (grid.isEmpty()) {
        return;  // a selection without width: no spacing, nothing drawn
    }
    draw(workspace, grid, {GridSpacing::Kind::Centimetres, *centimetres, base});
    workspace.hideSelection();
}

void gridClear(Workspace& workspace) {
    // P2 holds the last committed canvas; after the restore the canvas equals it again, so the
    // commit only has to fit the window.
    workspace.P1->setImage(workspace.P2.copy());
    workspace.forgetUncommittedGrids();
    workspace.fitWindowToCanvas();
}

}  // namespace kiramo
