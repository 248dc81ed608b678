#pragma once

#include <QImage>

namespace kiramo {

// Reads the pixels of the primary screen as they are displayed at this moment.
class ScreenGrabber {
public:
    virtual ~ScreenGrabber() = default;
    // The whole primary screen in device pixels, pixel (x, y) = screen pixel (x, y); a null
    // image when the screen cannot be read.
    [[nodiscard]] virtual QImage grabScreen() = 0;
};

class QtScreenGrabber final : public ScreenGrabber {
public:
    [[nodiscard]] QImage grabScreen() override;
};

}  // namespace kiramo
