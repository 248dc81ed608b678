#pragma once

#include "platform/ScreenGrabber.h"

namespace kiramo::testing {

// Hands out a prepared screen image and counts the grabs.
class FakeScreenGrabber final : public ScreenGrabber {
public:
    QImage screen;
    int grabs = 0;

    [[nodiscard]] QImage grabScreen() override {
        ++grabs;
        return screen;
    }
};

}  // namespace kiramo::testing
