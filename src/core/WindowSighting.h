#pragma once

#include <QImage>
#include <QList>
#include <QRect>

namespace kiramo {

// A window of ours as it was on the screen just before it was hidden for a grab: where it lay on
// the desktop (device pixels of the monitor picture it lay on, `monitor`) and what it showed.
struct WindowOnScreen {
    QRect monitor;  // the monitor's place on the desktop, logical pixels
    QPoint at;      // the window's inside, device pixels from the monitor's top left
    QImage pixels;  // what the window's inside showed, device pixels
};

// Whether `screen` (a monitor's picture) still shows the window: a picture taken before the
// compositor drew the screen without it. Most of the window's pixels are where it lay, exactly;
// a screen that happens to hold the same colours by chance is not enough (below half of them).
// Under XWayland a window being taken down may also be drawn as a black block for a frame:
// that counts too where the desktop around the window's frame is not black.
[[nodiscard]] bool showsWindow(const QImage& screen, const WindowOnScreen& window);

// The same where the window's place is not known (a Wayland client is not told): whether
// `window`'s pixels are anywhere in `screen`.
[[nodiscard]] bool showsWindowAnywhere(const QImage& screen, const QImage& window);

}  // namespace kiramo
