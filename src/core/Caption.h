#pragma once

#include <QString>

// The main window's caption: subject + " Mode:" + mode name + a fixed notice.
namespace kiramo {

// The notice that ends every caption. Short, so that window managers that shorten a long
// caption still show the mode before it.
[[nodiscard]] QString captionNotice();

// subject + " Mode:" + modeName + notice. The subject is empty at start-up.
[[nodiscard]] QString captionText(const QString& subject, const QString& modeName);

}  // namespace kiramo
