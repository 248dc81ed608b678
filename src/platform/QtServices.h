#pragma once

#include "platform/ProgramStarter.h"
#include "platform/QtPrompts.h"
#include "platform/ScreenGrabber.h"
#include "platform/Services.h"

#include <memory>

namespace kiramo {

// The real services of this process, on the primary screen and in this program's folders.
// Construct after the QApplication.
struct QtServices {
    QtPrompts prompts;
    QtProgramStarter programs;
    // The X server's pixels on X11, the desktop portal under Wayland.
    std::unique_ptr<ScreenGrabber> screen{createScreenGrabber()};

    [[nodiscard]] Services services() {
        return Services{prompts, programs, *screen, ScreenMetrics::fromPrimaryScreen(),
                        AppFolders::forThisProgram()};
    }
};

}  // namespace kiramo
