#include "app/CommandLine.h"
#include "app/Form1.h"
#include "app/Language.h"
#include "app/Startup.h"
#include "platform/NativeNames.h"
#include "platform/QtServices.h"

#include <QApplication>

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

    // The command line is one path, never split at blanks: the arguments are joined again,
    // from argv's own bytes, so that a name that is not UTF-8 still names its file.
    const QString commandLine = kiramo::programArguments(argc, argv).join(u' ');
    QString error;
    std::unique_ptr<kiramo::Form1> form = kiramo::startKiramo(real.services(), commandLine, &error);
    if (!form) {
        real.prompts.showMessage(error);
        return 1;
    }
    real.prompts.setParentWindow(form.get());
    form->show();
    return QApplication::exec();
}
