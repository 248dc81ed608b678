#pragma once

#include <QString>
#include <QStringList>

namespace kiramo {

class Workspace;

// The pictures opened or saved last, newest first, as kiramo.conf remembers them
// ([Files] recent=...); an empty list when there is none or it cannot be read.
[[nodiscard]] QStringList recentPictures(const Workspace& workspace);

// `path` (made absolute) goes to the front of the list of recent pictures.
void rememberRecentPicture(const Workspace& workspace, const QString& path);

// Forgets every recent picture.
void clearRecentPictures(const Workspace& workspace);

}  // namespace kiramo
