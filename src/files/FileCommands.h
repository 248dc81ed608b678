#pragma once

#include <QString>

#include <optional>

namespace kiramo {

class Form1;

// The path that a command line names: the whole text, blanks at both ends removed; when it
// starts with a double quote, that quote and a closing one at the end are dropped. Nothing when
// no path remains. The command line is one path, never split at blanks.
[[nodiscard]] std::optional<QString> commandLinePath(const QString& commandLine);

// The key an opened file is looked up by: its last four characters in upper case (".BMP").
[[nodiscard]] QString extensionKey(const QString& file);

// "&Open...": a bitmap (".BMP" in any case) is loaded into the canvas; any other file is handed
// to the program associated with its extension, or refused with a beep and a message.
void openCommand(Form1& form);

// "&Save As...": asks for a name, proposing the current file or "image", then saves.
void saveAsCommand(Form1& form);

// Start-up's last step: loads the picture that the command line names, if any.
void loadCommandLine(Form1& form, const QString& commandLine);

// Starts the associated `command` on `file`, the file as one argument, without waiting.
void startAssociated(Form1& form, const QString& command, const QString& file);

}  // namespace kiramo
