#pragma once

#include "fakes/FakeProgramStarter.h"
#include "fakes/FakePrompts.h"
#include "fakes/FakeScreenGrabber.h"
#include "fakes/Scale.h"
#include "platform/Services.h"

#include <QDir>
#include <QTemporaryDir>

namespace kiramo::testing {

// Fake services over a fresh temporary folder that stands for the executable's folder (and
// holds the config and runtime folders). The screen's metrics are the real ones, as the tests
// pin them: 96 logical DPI, so 15 twips per logical pixel and 15 / scale per device pixel.
struct FakeServices {
    QTemporaryDir root;
    FakePrompts prompts;
    FakeProgramStarter programs;
    FakeScreenGrabber screen;

    [[nodiscard]] QString path(const QString& name) const { return root.filePath(name); }

    [[nodiscard]] Services services() { return services(screen); }

    // The same, reading the screen through `grabber` (a real one, for the end-to-end tests).
    [[nodiscard]] Services services(ScreenGrabber& grabber) {
        checkPinnedScale();
        QDir(root.path()).mkpath(QStringLiteral("config"));
        return Services{prompts, programs, grabber, ScreenMetrics::fromPrimaryScreen(),
                        AppFolders::resolve(root.path(), path(QStringLiteral("config")),
                                            path(QStringLiteral("runtime")),
                                            path(QStringLiteral("windows")))};
    }
};

}  // namespace kiramo::testing
