#include "app/LaterStarts.h"

#include "app/Form1.h"
#include "platform/InstanceChannel.h"

#include <QApplication>

namespace kiramo {

void takeLaterStarts(InstanceChannel& channel, Form1& form) {
    QObject::connect(&channel, &InstanceChannel::requested, &form,
                     [&form](const QByteArray& request) {
        if (request == kCaptureRequest && !form.isClosing() &&
            QApplication::activeModalWidget() == nullptr) {
            form.startCapture();
        }
    });
}

}  // namespace kiramo
