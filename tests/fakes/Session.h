#pragma once

#include "app/Form1.h"
#include "app/Startup.h"
#include "canvas/SizeLabel.h"
#include "canvas/Surface.h"
#include "fakes/FakeServices.h"

#include <QFile>

namespace kiramo::testing {

// A started main window over fake services, optionally with settings lines, showing a canvas.
struct Session {
    FakeServices fake;
    std::unique_ptr<Form1> form;

    explicit Session(const QByteArray& settings = QByteArray()) {
        if (!settings.isEmpty()) {
            QFile ini(fake.path(QStringLiteral("KIRAMO.INI")));
            if (ini.open(QIODevice::WriteOnly)) {
                ini.write(settings);
            }
        }
        QString error;
        form = startKiramo(fake.services(), QString(), &error);
        form->show();
    }

    // What the commands work on.
    [[nodiscard]] Workspace& ws() const { return form->workspace(); }

    // Gives the canvas `image` and commits it, as a load would.
    void setCanvas(const QImage& image) const { ws().replacePicture(image, std::nullopt); }
};

// A rectangle of device pixels of the canvas's image, in the canvas's twips (the selection's
// unit).
[[nodiscard]] inline LabelRect twipsOf(const Form1& form, QRectF pixels) {
    const TwipScale m = form.workspace().scale();
    return LabelRect{m.toTwipsX(pixels.x()), m.toTwipsY(pixels.y()), m.toTwipsX(pixels.width()),
                     m.toTwipsY(pixels.height())};
}

}  // namespace kiramo::testing
