#include "core/BandKeys.h"

#include "core/RubberBand.h"

#include <algorithm>
#include <cmath>

namespace kiramo {

namespace {

// One side moved by `step` units: stopped at 0 and at `extent` for the far edge, never
// further out than it already lies.
double movedEdge(double start, double length, double step, double extent) {
    const double moved = start + step;
    if (step < 0.0) {
        return std::max(moved, std::min(start, 0.0));
    }
    if (step > 0.0) {
        return std::min(moved, std::max(start, extent - length));
    }
    return start;
}

}  // namespace

BandKeyStep bandKeyStep(int key, Qt::KeyboardModifiers modifiers) {
    const Qt::KeyboardModifiers held = modifiers & ~Qt::KeypadModifier;
    if ((held & (Qt::AltModifier | Qt::MetaModifier)) != 0) {
        return {};
    }
    const bool ctrl = (held & Qt::ControlModifier) != 0;
    const bool shift = (held & Qt::ShiftModifier) != 0;
    const int step = shift ? 10 : 1;
    const BandKeyAction arrow = ctrl ? BandKeyAction::Resize : BandKeyAction::Move;
    switch (key) {
    case Qt::Key_Left:
        return {arrow, -step, 0};
    case Qt::Key_Right:
        return {arrow, step, 0};
    case Qt::Key_Up:
        return {arrow, 0, -step};
    case Qt::Key_Down:
        return {arrow, 0, step};
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return held == Qt::NoModifier ? BandKeyStep{BandKeyAction::Take} : BandKeyStep{};
    case Qt::Key_Escape:
        return held == Qt::NoModifier ? BandKeyStep{BandKeyAction::GiveUp} : BandKeyStep{};
    default:
        return {};
    }
}

LabelRect movedBand(const LabelRect& rect, int dx, int dy, TwipScale unitsPerPixel, QSizeF bounds) {
    LabelRect moved = rect;
    moved.left = movedEdge(rect.left, rect.width, unitsPerPixel.toTwipsX(dx), bounds.width());
    moved.top = movedEdge(rect.top, rect.height, unitsPerPixel.toTwipsY(dy), bounds.height());
    return moved;
}

std::optional<QSizeF> resizedBand(QSizeF size, int dx, int dy, TwipScale unitsPerPixel,
                                  int modeIndex, double modeWidth, double modeHeight) {
    if (dx == 0 && dy == 0) {
        return std::nullopt;
    }
    if (modeIndex == 0) {
        const double w = size.width() + unitsPerPixel.toTwipsX(dx);
        const double h = size.height() + unitsPerPixel.toTwipsY(dy);
        if ((dx != 0 && !(w > 1.0)) || (dy != 0 && !(h > 1.0))) {
            return std::nullopt;
        }
        return QSizeF(w, h);
    }
    const double h = size.height() + unitsPerPixel.toTwipsY(dy != 0 ? dy : dx);
    // The shape now, against the mode's two ratios (width over height): the one it is nearer.
    bool turned = false;
    if (size.height() > 0.0 && modeWidth > 0.0 && modeHeight > 0.0) {
        const double shape = size.width() / size.height();
        turned =
            std::abs(shape - modeWidth / modeHeight) < std::abs(shape - modeHeight / modeWidth);
    }
    return stretchedSize(size.width(), h, turned, modeIndex, modeWidth, modeHeight);
}

}  // namespace kiramo
