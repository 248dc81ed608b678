#include "app/LaterStarts.h"

#include "app/Form1.h"
#include "platform/InstanceChannel.h"
#include "platform/Prompts.h"

#include <QApplication>

namespace kiramo {

void takeLaterStarts(InstanceChannel& channel, Form1& form) {
    QObject::connect(&channel, &InstanceChannel::requested, &form,
                     [&form](const QByteArray& request) {
        if (request != kCaptureRequest || form.isClosing()) {
            return;
        }
        if (QApplication::activeModalWidget() != nullptr || form.captureWindow() != nullptr) {
            form.workspace().prompts().beep();  // busy: the user hears that the key was heard
            return;
        }
        form.startCapture();
    });
}

}  // namespace kiramo
