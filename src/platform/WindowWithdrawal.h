#pragma once

namespace kiramo {

// Whether the window manager has taken every hidden top-level window of ours off the screen.
// A hide only asks for it: under X11 (XWayland included) the window manager, which is the
// compositor on a Wayland desktop, carries the unmap out later and then marks the window
// Withdrawn (ICCCM WM_STATE); until then the compositor may still draw it. True where no
// such mark exists to wait for (other window systems, windows it never managed).
[[nodiscard]] bool hiddenWindowsWithdrawn();

}  // namespace kiramo
