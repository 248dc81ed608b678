#pragma once

#include <QString>
#include <QUrl>

namespace kiramo {

class Form1;

// The help page that "Support&Website" opens, relative to the executable's folder: it ships
// with the program, so help works offline.
inline constexpr const char* kSupportPage = "../share/kiramo/help.html";

// The support page's address for an executable in `executableFolder`.
[[nodiscard]] QUrl supportPageUrl(const QString& executableFolder);

// "Send BMP": the canvas, grids included, to the program associated with ".BMP".
void sendBitmap(Form1& form);
// "Send BMP(selected)": the selected part of the canvas, the same way; the selection stays.
void sendSelectedBitmap(Form1& form);
// "Send BMP to ORBELLO": the magnifier beside this program gets the current file, or the
// canvas through the temporary bitmap when there is none.
void sendToOrbello(Form1& form);
// "Support&Website": the help page in the default browser.
void openSupportPage(Form1& form);

}  // namespace kiramo
