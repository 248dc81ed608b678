#include "overlay/GridCommands.h"

#include "app/Form1.h"
#include "app/NumberText.h"
#include "canvas/SizeLabel.h"
#include "canvas/Surface.h"
#include "overlay/GridDrawing.h"
#include "overlay/GridGeometry.h"
#include "platform/Prompts.h"

namespace kiramo {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// The selection when there is one, else the whole canvas (twips).
QRectF gridRegion(const Form1& form) {
    if (form.hasSelection()) {
        const LabelRect& r = form.L1->rect();
        return QRectF(r.left, r.top, r.width, r.height);
    }
    const ScreenMetrics& m = form.services.metrics;
    const QSize pixels = form.P1->imageSize();
    return QRectF(0.0, 0.0, m.toTwipsX(pixels.width()), m.toTwipsY(pixels.height()));
}

void draw(Form1& form, const Grid& grid) {
    const ScreenMetrics& m = form.services.metrics;
    form.P1->editImage(
        [&](QImage& image) { drawGrid(image, grid, m.twipsPerPixelX, m.twipsPerPixelY); });
}

// A number answer within 1..100, or nothing for an empty or out-of-range answer.
std::optional<double> askNumber(Form1& form, const QString& prompt, const QString& title,
                                const QString& defaultAnswer) {
    const QString answer = form.services.prompts.askText(prompt, title, defaultAnswer);
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
           (hasSelection ? QStringLiteral("選択部分左右幅を基準に")
                         : QStringLiteral("画像左右幅を基準に")) +
           kCrLf + QStringLiteral("何等分のグリッドを描きますか？") + kCrLf;
}

QString centimetrePrompt(const QString& name, double first, double second, bool landscape) {
    return name + QStringLiteral(" [ ") + writeNumber(first) + u'x' + writeNumber(second) +
           (landscape ? QStringLiteral(" ] 横位置") : QStringLiteral(" ] 縦位置")) + kCrLf +
           QStringLiteral("画像左上を基点に") + kCrLf +
           QStringLiteral("何cmのグリッドを描きますか？") + kCrLf;
}

void DrawDivisionGrid(Form1& form, double n) {
    draw(form, divisionGrid(gridRegion(form), n));
    form.L1->hide();
}

void drawEqualPartsGrid(Form1& form) {
    const std::optional<double> n =
        askNumber(form, equalPartsPrompt(form.hasSelection()), QStringLiteral("等分グリッドの指定"),
                  QStringLiteral("10"));
    if (!n) {
        return;
    }
    const QRectF region = gridRegion(form);
    const Grid grid = equalPartsGrid(region, equalPartsStep(region.width(), *n));
    if (grid.isEmpty()) {
        return;  // a region narrower than N twips: no spacing, nothing drawn
    }
    draw(form, grid);
    form.L1->hide();
}

void drawCentimetreGrid(Form1& form) {
    Prompts& prompts = form.services.prompts;
    if (!form.hasSelection()) {
        prompts.showMessage(QStringLiteral("範囲が選択されていません"));
        return;
    }
    const LabelRect& r = form.L1->rect();
    const QRectF selection(r.left, r.top, r.width, r.height);
    const int mode = form.state.ModeIndex;
    if (mode == 0) {
        prompts.beep();
        prompts.showMessage(QStringLiteral("FreeSizeは寸法(cm)指定ができません"));
        return;
    }
    const ModeTable& modes = form.state.modes;
    // In landscape position the first size is the width, in portrait (a square too) the second.
    const bool landscape = selection.width() > selection.height();
    const double base = landscape ? modes.ModeWidth(mode) : modes.ModeHeight(mode);
    if (!(base > 0.0)) {
        prompts.beep();
        prompts.showMessage(modes.ModeName(mode) +
                            QStringLiteral("は寸法が0のため寸法(cm)指定ができません"));
        return;
    }
    const std::optional<double> centimetres =
        askNumber(form,
                  centimetrePrompt(modes.ModeName(mode), modes.ModeWidth(mode),
                                   modes.ModeHeight(mode), landscape),
                  QStringLiteral("グリッド寸法の指定"), QStringLiteral("5"));
    if (!centimetres) {
        return;
    }
    const std::optional<double> step = centimetreStep(selection.width(), *centimetres, base);
    const ScreenMetrics& m = form.services.metrics;
    const Grid grid =
        centimetreGrid(selection, step.value_or(0.0), m.twipsPerPixelX, m.twipsPerPixelY);
    if (grid.isEmpty()) {
        return;  // a selection without width: no spacing, nothing drawn
    }
    draw(form, grid);
    form.L1->hide();
}

void gridClear(Form1& form) {
    // P2 holds the last committed canvas; after the restore the canvas equals it again, so the
    // commit only has to fit the window.
    form.P1->setImage(form.P2.copy());
    form.fitWindowToCanvas();
}

}  // namespace kiramo
