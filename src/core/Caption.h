#pragma once

#include <QString>

// The main window's caption: subject + " Mode:" + mode name + a fixed notice.
namespace kiramo {

// The notice that ends every caption.
[[nodiscard]] QString captionNotice();

// subject + " Mode:" + modeName + notice. The subject is empty at start-up.
[[nodiscard]] QString captionText(const QString& subject, const QString& modeName);

}  // namespace kiramo
