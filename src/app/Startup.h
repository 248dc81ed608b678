#pragma once

#include <QString>

#include <memory>

namespace kiramo {

class Form1;
struct Services;

// Reads the capture modes from the settings file at `path`, creating an empty file when there
// is none; an existing file is only opened for reading, so a read-only one does as well. On
// failure returns false and sets `error` to a message for the user.
[[nodiscard]] bool readSettings(Form1& form, const QString& path, QString* error);

// Reads the association table from WIN.INI at `path`, creating an empty file when there is
// none; an existing file is only opened for reading. On failure returns false and sets `error`.
[[nodiscard]] bool ReadAssociations(Form1& form, const QString& path, QString* error);

// Builds the main window and runs the start-up steps in their order: blank canvas, frame
// measured, settings read and Mode menu built, caption set, then the command line's picture
// loaded. `commandLine` is the process's arguments as one text. Returns null, with `error`
// set, when start-up cannot go on; the caller reports it and ends the program.
[[nodiscard]] std::unique_ptr<Form1> startKiramo(const Services& services,
                                                 const QString& commandLine, QString* error);

}  // namespace kiramo
