#include "app/CommandLine.h"
#include "app/Form1.h"
#include "app/Language.h"
#include "app/LaterStarts.h"
#include "app/Startup.h"
#include "platform/InstanceChannel.h"
#include "platform/NativeNames.h"
#include "platform/QtServices.h"

#include <QApplication>

namespace {

// How long a start waits for the running KIRAMO at each step of a hand-over (milliseconds).
constexpr int kHandOffWait = 3000;

}  // namespace

int main(int argc, char* argv[]) {
    if (kiramo::printRequestedText(argc, argv)) {
        return 0;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("KIRAMO"));
    // The application id on Wayland: compositors match it with kiramo.desktop for the icon,
    // and window rules address the window by it.
    QGuiApplication::setDesktopFileName(QStringLiteral("kiramo"));
    // Before any window is built: the texts are translated as the widgets are made.
    kiramo::Translations translations;
    translations.install(QLocale::system());

    kiramo::QtServices real;
    const kiramo::Services services = real.services();

    // The command line is one path, never split at blanks: the arguments are joined again,
    // from argv's own bytes, so that a name that is not UTF-8 still names its file.
    const QString commandLine = kiramo::programArguments(argc, argv).join(u' ');
    const bool captureAlone =
        kiramo::commandLineRequest(commandLine) == kiramo::CommandLineRequest::Capture;
    // A capture asked for while KIRAMO runs on this display is made by that KIRAMO; any other
    // start (a picture's, or none) is a KIRAMO of its own.
    const QString socket = kiramo::InstanceChannel::sessionSocketPath(services.folders);
    if (captureAlone && !socket.isEmpty() &&
        kiramo::InstanceChannel::handOff(socket, kiramo::kCaptureRequest, kHandOffWait)) {
        return 0;
    }

    QString error;
    std::unique_ptr<kiramo::Form1> form =
        kiramo::startKiramo(services, captureAlone ? QString() : commandLine, &error);
    if (!form) {
        real.prompts.showMessage(error);
        return 1;
    }
    real.prompts.setParentWindow(form.get());
    // The first KIRAMO on the display takes the captures that later starts ask for.
    kiramo::InstanceChannel channel;
    QString reason;
    if (!socket.isEmpty() && channel.listen(socket, &reason)) {
        kiramo::takeLaterStarts(channel, *form);
    }
    if (captureAlone) {
        form->startCaptureAlone();
    } else {
        form->show();
    }
    return QApplication::exec();
}
