#include "app/CommandLine.h"

#include <QStringList>

#include <cstdio>

#ifndef KIRAMO_VERSION
#error "KIRAMO_VERSION is set by src/CMakeLists.txt from the project's version"
#endif

namespace kiramo {

CommandLineRequest commandLineRequest(const QString& commandLine) {
    if (commandLine == QLatin1String("--help")) {
        return CommandLineRequest::Help;
    }
    if (commandLine == QLatin1String("--version")) {
        return CommandLineRequest::Version;
    }
    if (commandLine == QLatin1String("--capture")) {
        return CommandLineRequest::Capture;
    }
    return CommandLineRequest::Run;
}

QString usageText() {
    return QStringLiteral(
        "Usage: kiramo [PICTURE]\n"
        "       kiramo --capture\n"
        "       kiramo --help | --version\n"
        "\n"
        "Freezes the screen and cuts a picture out of it, to mark it up with guide grids\n"
        "and colour swatches.\n"
        "\n"
        "  PICTURE    a bitmap (.bmp) to open at start. The whole command line is one\n"
        "             path, blanks included; double quotes around it are removed.\n"
        "  --capture  freeze the screen at once, without the main window; a KIRAMO\n"
        "             already running on the display makes the capture instead\n"
        "  --help     print this text and exit\n"
        "  --version  print the version and exit\n"
        "\n"
        "Capture modes are read from KIRAMO.INI, file-type associations from WIN.INI;\n"
        "see kiramo(1) for where they live and what they hold.\n");
}

QString versionText() {
    return QStringLiteral("kiramo " KIRAMO_VERSION "\n");
}

bool printRequestedText(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i) {
        arguments.append(QString::fromLocal8Bit(argv[i]));
    }
    QString text;
    switch (commandLineRequest(arguments.join(u' '))) {
    case CommandLineRequest::Help:
        text = usageText();
        break;
    case CommandLineRequest::Version:
        text = versionText();
        break;
    case CommandLineRequest::Run:
    case CommandLineRequest::Capture:
        return false;
    }
    std::fputs(text.toLocal8Bit().constData(), stdout);
    return true;
}

}  // namespace kiramo
