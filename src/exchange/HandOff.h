#pragma once

#include <QString>
#include <QUrl>

namespace kiramo {

class Workspace;

// The help page that "Support&Website" opens, relative to the executable's folder: it ships
// with the program, so help works offline.
inline constexpr const char* kSupportPage = "../share/kiramo/help.html";

// The support page's address for an executable in `executableFolder`.
[[nodiscard]] QUrl supportPageUrl(const QString& executableFolder);

// "Send BMP": the canvas, grids included, to the program associated with ".BMP".
void sendBitmap(Workspace& workspace);
// "Send BMP(selected)": the selected part of the canvas, the same way; the selection stays.
void sendSelectedBitmap(Workspace& workspace);
// "Send BMP to ORBELLO": the magnifier beside this program gets the current file, or the
// canvas through the temporary bitmap when there is none.
void sendToOrbello(Workspace& workspace);
// "Support&Website": the help page in the default browser.
void openSupportPage(Workspace& workspace);

}  // namespace kiramo
