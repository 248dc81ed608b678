#pragma once

namespace kiramo {

// Sends everything asked of the Wayland compositor so far and waits until it has carried it
// out (a wl_display.sync on the program's own connection answered): a window hidden before it
// is then gone from the compositor's scene. QGuiApplication::sync() does not wait on Wayland.
// True once answered; false, at once, where the program does not talk Wayland (X11 included)
// or the connection broke.
bool waylandRoundTrip();

}  // namespace kiramo
