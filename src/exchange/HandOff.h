#pragma once

#include <QString>
#include <QUrl>

namespace kiramo {

class Workspace;

// Where an installed copy keeps the help pages, relative to the executable's folder.
inline constexpr const char* kSupportFolder = "../share/kiramo";

// The help page's file name in the interface language: "help.html" (Japanese) as written, the
// translation names the page in its own language ("help.en.html").
[[nodiscard]] QString helpPageName();

// The installed help page's address, in the interface language, for an executable in
// `executableFolder`.
[[nodiscard]] QUrl supportPageUrl(const QString& executableFolder);

// "Send BMP": the canvas, grids included, to the program associated with ".BMP".
void sendBitmap(Workspace& workspace);
// "Send BMP(selected)": the selected part of the canvas, the same way; the selection stays.
void sendSelectedBitmap(Workspace& workspace);
// "Send BMP to ORBELLO": the magnifier beside this program gets the current file, or the
// canvas through the temporary bitmap when there is none.
void sendToOrbello(Workspace& workspace);
// "Support&Website": the help page in the default browser. It ships inside the program too, so
// a copy of the program in a folder of its own writes it to the user's runtime folder first.
// When no browser can be started, a message says where the page is.
void openSupportPage(Workspace& workspace);

}  // namespace kiramo
