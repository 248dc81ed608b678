#pragma once

#include "platform/ProgramStarter.h"
#include "platform/QtPrompts.h"
#include "platform/ScreenGrabber.h"
#include "platform/Services.h"

namespace kiramo {

// The real services of this process, on the primary screen and in this program's folders.
// Construct after the QApplication.
struct QtServices {
    QtPrompts prompts;
    QtProgramStarter programs;
    QtScreenGrabber screen;

    [[nodiscard]] Services services() {
        return Services{prompts, programs, screen, ScreenMetrics::fromPrimaryScreen(),
                        AppFolders::forThisProgram()};
    }
};

}  // namespace kiramo
