#include "app/Form1.h"
#include "app/Startup.h"
#include "platform/ProgramStarter.h"
#include "platform/QtPrompts.h"
#include "platform/ScreenGrabber.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("KIRAMO"));

    kiramo::QtPrompts prompts;
    kiramo::QtProgramStarter programs;
    kiramo::QtScreenGrabber screen;
    const kiramo::Services services{prompts, programs, screen,
                                    kiramo::ScreenMetrics::fromPrimaryScreen(),
                                    kiramo::AppFolders::forThisProgram()};

    // The command line is one path, never split at blanks: the arguments are joined again.
    const QString commandLine = QApplication::arguments().mid(1).join(u' ');
    QString error;
    std::unique_ptr<kiramo::Form1> form = kiramo::startKiramo(services, commandLine, &error);
    if (!form) {
        prompts.showMessage(error);
        return 1;
    }
    prompts.setParentWindow(form.get());
    form->show();
    return QApplication::exec();
}
