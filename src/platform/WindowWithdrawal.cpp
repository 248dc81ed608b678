#include "platform/WindowWithdrawal.h"

#include <QGuiApplication>
#include <QWindow>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace kiramo {

namespace {

xcb_atom_t wmStateAtom(xcb_connection_t* connection) {
    static const char name[] = "WM_STATE";
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 1, static_cast<uint16_t>(std::strlen(name)), name),
        nullptr);
    const xcb_atom_t atom = reply != nullptr ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}

}  // namespace

bool hiddenWindowsWithdrawn() {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 != nullptr ? x11->connection() : nullptr;
    if (connection == nullptr) {
        return true;
    }
    static const xcb_atom_t wmState = wmStateAtom(connection);
    if (wmState == XCB_ATOM_NONE) {
        return true;  // no window manager has ever marked a window
    }
    // Asked all at once, answered in one round trip.
    std::vector<xcb_get_property_cookie_t> cookies;
    for (QWindow* window : QGuiApplication::topLevelWindows()) {
        if (!window->isVisible() && window->handle() != nullptr) {
            cookies.push_back(xcb_get_property(
                connection, 0, static_cast<xcb_window_t>(window->winId()), wmState, wmState, 0, 1));
        }
    }
    bool withdrawn = true;
    for (const xcb_get_property_cookie_t cookie : cookies) {
        xcb_get_property_reply_t* reply = xcb_get_property_reply(connection, cookie, nullptr);
        // WM_STATE's first value: 0 Withdrawn, 1 Normal, 3 Iconic; none at all is Withdrawn.
        if (reply != nullptr && xcb_get_property_value_length(reply) >= 4) {
            const auto* state = static_cast<const uint32_t*>(xcb_get_property_value(reply));
            if (state[0] != 0) {
                withdrawn = false;
            }
        }
        std::free(reply);
    }
    return withdrawn;
}

}  // namespace kiramo
