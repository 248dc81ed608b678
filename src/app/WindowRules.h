#pragma once

#include <QSize>
#include <Qt>

#include <optional>

// How the main window is sized around its canvas. All values are logical pixels of the main
// window's geometry (see AppState).
namespace kiramo {

// The window size after a commit: the canvas plus the frame, never narrower than the start-up
// width, plus the colour strip's height when the strip is shown (stripHeight 0 when hidden).
// No upper limit here: fitToScreen keeps the window on the screen.
[[nodiscard]] QSize committedWindowSize(QSize canvas, int frameExtraWidth, int frameExtraHeight,
                                        int minFormWidth, int stripHeight);

// The window size for `needed` on a screen whose area for the window is `limit`: `needed` when
// it fits; else at most `limit`, with room for the scroll bars (`scrollBarExtent` each) that the
// canvas then needs, so that a picture larger than the screen scrolls inside a window that
// stays on it.
[[nodiscard]] QSize fitToScreen(QSize needed, QSize limit, int scrollBarExtent);

// The width the resize rule sets after the window's size changed, or nothing when it leaves
// the window alone: only a window in its normal state narrower than the start-up width grows
// back to it. Minimised, maximised and full-screen windows are never touched.
[[nodiscard]] std::optional<int> widthAfterResize(Qt::WindowStates state, int width,
                                                  int minFormWidth);

// The base size (logical pixels) to publish with a window of `size` (logical pixels) at
// `ratio` device pixels per logical pixel. At a scale above 1 Qt tells the X window manager
// that the window grows in steps of the ratio rounded (2 device pixels at 150 %), counted from
// the base size; a window manager that keeps to those steps would make a window of an odd
// width one device pixel narrower than asked, and its canvas would scroll. With this base the
// window's device size is a whole number of steps from the base.
[[nodiscard]] QSize stepBaseSize(QSize size, double ratio);

// The start-up width: the design's inner width plus the frame, widened where the menu bar
// needs more room to show every top-level menu.
[[nodiscard]] int startupWindowWidth(int designInnerWidth, int frameExtraWidth, int menuBarWidth);

}  // namespace kiramo
