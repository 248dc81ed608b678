#pragma once

#include <QSize>
#include <QString>

#include <optional>

// File names as the program reads them from its command line and the file dialogs, and as its
// caption shows them.
namespace kiramo {

// `text` without the blanks at its ends. Only blanks: other white space may belong to a name.
[[nodiscard]] QString trimBlanks(const QString& text);

// The path that a command line names: the whole text, blanks at both ends removed; when it
// starts with a double quote, that quote and a closing one at the end are dropped. Nothing when
// no path remains. The command line is one path, never split at blanks.
[[nodiscard]] std::optional<QString> commandLinePath(const QString& commandLine);

// The key an opened file is looked up by: its last four characters in upper case (".BMP").
[[nodiscard]] QString extensionKey(const QString& file);

// The caption's subject for a picture file: its name without folders ("\" and "/" both
// separate them), in upper case, then the picture's size in pixels, e.g. "IMAGE.BMP (640x480)".
// The size is the picture's own, whole: not its length in twips divided back, which at a scale
// without a whole number of twips per pixel comes out a hair off (65.00001, or 119 for 120).
[[nodiscard]] QString fileSubject(const QString& path, QSize pixels);

// `text` as the name of a file: the characters that separate folders or that a Windows file
// name may not hold (/ \ : * ? " < > | and control characters) become "-".
[[nodiscard]] QString fileNameOf(const QString& text);

}  // namespace kiramo
