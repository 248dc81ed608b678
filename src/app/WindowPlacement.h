#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// Where the main window goes when it grows, and how large it stays while its canvas is empty.
// Logical pixels of the desktop, as window geometry has them.
namespace kiramo {

// The top-left corner for a window frame (the window manager's title bar and borders included)
// of `frame` so that it lies within `available`, the area of its screen that windows may take:
// moved left and up by as much as it sticks out right and below, then right and down by as much
// as it sticks out left and above, so that a frame larger than the area keeps its top-left
// corner, and its title bar, on it. A frame that lies within stays where it is.
[[nodiscard]] QPoint placeOnScreen(QRect frame, QRect available);

// The smallest window (window geometry, menu bar included) while the canvas is empty: its
// canvas area holds the first-step hint of size `hint`, above the colour strip when the strip
// is shown (stripHeight 0 when hidden), and it is never narrower than the start-up width.
[[nodiscard]] QSize emptyWindowSize(QSize hint, int frameExtraWidth, int frameExtraHeight,
                                    int minFormWidth, int stripHeight);

}  // namespace kiramo
