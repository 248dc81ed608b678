#include "capture/Capture.h"

#include "app/Form1.h"
#include "capture/Form2.h"

#include <QGuiApplication>

namespace kiramo {

void startCapture(Form1& form) {
    if (form.Form2) {
        return;
    }
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);  // Form2 restores it once loaded
    auto* window = new Form2(form);
    form.Form2 = window;
    window->load();
}

}  // namespace kiramo
