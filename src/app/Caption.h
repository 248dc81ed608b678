#pragma once

#include <QString>

// The main window's caption: subject + " Mode:" + mode name + a fixed notice.
namespace kiramo {

// The notice that ends every caption. It holds no ":", so that the first ":" of a caption is
// always the one of " Mode:" (the mode change relies on it).
[[nodiscard]] QString captionNotice();

// subject + " Mode:" + modeName + notice. The subject is empty at start-up.
[[nodiscard]] QString captionText(const QString& subject, const QString& modeName);

// The caption after the mode changes to `modeName`: everything up to and including the first
// ":" of `current` is kept, the rest becomes modeName + notice; a caption without ":" is
// replaced by the start-up form.
[[nodiscard]] QString captionForMode(const QString& current, const QString& modeName);

}  // namespace kiramo
