#pragma once

#include <QDBusConnection>
#include <QString>

namespace kiramo {

// GNOME Shell's close animation of a normal window (its DESTROY_WINDOW_ANIMATION_TIME; a
// dialog's is shorter).
inline constexpr int kGnomeShellClosingMilliseconds = 150;

// How long the desktop goes on drawing a window of ours after it left the screen: GNOME Shell,
// where it animates windows (rendering with a graphics card, animations not turned off), fades
// and shrinks a window that leaves, and its screenshot paints the scene as it is, the fading
// window included, where no comparison of pixels finds it. The shell says whether it animates
// (org.gnome.Shell.Introspect, AnimationsEnabled) on `bus`; 0 for every other desktop named in
// `currentDesktop` (XDG_CURRENT_DESKTOP). KWin's screenshots leave a closing window out.
[[nodiscard]] int closingAnimationMilliseconds(const QDBusConnection& bus,
                                               const QString& currentDesktop);
// The same for this session.
[[nodiscard]] int closingAnimationMilliseconds();

}  // namespace kiramo
