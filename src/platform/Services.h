#pragma once

#include "platform/AppFolders.h"
#include "platform/ScreenMetrics.h"

namespace kiramo {

class Prompts;
class ProgramStarter;
class ScreenGrabber;

// The platform services the program leans on, handed to the main window at start. The real
// ones are built in main(); tests hand in fakes.
struct Services {
    Prompts& prompts;
    ProgramStarter& programs;
    ScreenGrabber& screen;
    ScreenMetrics metrics;
    AppFolders folders;
};

}  // namespace kiramo
