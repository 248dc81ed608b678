#pragma once

#include <QString>

#include <optional>

namespace kiramo {

class Workspace;

// "&Open...": a bitmap (".BMP" in any case) is loaded into the canvas; any other file is handed
// to the program associated with its extension, or refused with a beep and a message.
void openCommand(Workspace& workspace);

// "&Save As...": asks for a name, proposing the current file or "image", then saves.
void saveAsCommand(Workspace& workspace);

// Save (Ctrl+S): the canvas written over the current file in the format its name asks for, without a
// dialog; Save As when the canvas has no file.
void saveCommand(Workspace& workspace);

// Start-up's last step: loads the picture that the command line names, if any.
void loadCommandLine(Workspace& workspace, const QString& commandLine);

// Starts the associated `command` on `file`, the file as one argument, without waiting.
void startAssociated(Workspace& workspace, const QString& command, const QString& file);

}  // namespace kiramo
