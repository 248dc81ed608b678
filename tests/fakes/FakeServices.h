#pragma once

#include "fakes/FakeProgramStarter.h"
#include "fakes/FakePrompts.h"
#include "fakes/FakeScreenGrabber.h"
#include "platform/Services.h"

#include <QDir>
#include <QTemporaryDir>

namespace kiramo::testing {

// Fake services over a fresh temporary folder that stands for the executable's folder (and
// holds the config and runtime folders), at 96 DPI: 15 twips per pixel.
struct FakeServices {
    QTemporaryDir root;
    FakePrompts prompts;
    FakeProgramStarter programs;
    FakeScreenGrabber screen;

    [[nodiscard]] QString path(const QString& name) const { return root.filePath(name); }

    [[nodiscard]] Services services() {
        QDir(root.path()).mkpath(QStringLiteral("config"));
        ScreenMetrics metrics;
        return Services{prompts, programs, screen, metrics,
                        AppFolders::resolve(root.path(), path(QStringLiteral("config")),
                                            path(QStringLiteral("runtime")),
                                            path(QStringLiteral("windows")))};
    }
};

}  // namespace kiramo::testing
