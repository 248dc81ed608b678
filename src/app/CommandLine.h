#pragma once

#include <QString>

namespace kiramo {

// What a command line asks for. The command line is the program's arguments joined with
// blanks, as start-up reads it; only a command line that is exactly "--help" or "--version"
// asks for the text, and only one that is exactly "--capture" for a capture straight away;
// anything else (a picture's path, blanks and quotes included) runs KIRAMO.
enum class CommandLineRequest { Run, Help, Version, Capture };

[[nodiscard]] CommandLineRequest commandLineRequest(const QString& commandLine);

// The text that "--help" prints, the same usage that the manual page kiramo(1) gives.
[[nodiscard]] QString usageText();

// The text that "--version" prints: "kiramo" and the version number, one line.
[[nodiscard]] QString versionText();

// Prints the usage or the version to stdout when the process's arguments ask for it and returns
// true; returns false otherwise. Runs before QApplication exists, so it needs no display.
[[nodiscard]] bool printRequestedText(int argc, char* argv[]);

}  // namespace kiramo
