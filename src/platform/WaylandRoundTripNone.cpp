#include "platform/WaylandRoundTrip.h"

namespace kiramo {

// This build has no Wayland client library: nothing to wait for.
bool waylandRoundTrip() {
    return false;
}

}  // namespace kiramo
