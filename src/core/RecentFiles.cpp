#include "core/RecentFiles.h"

namespace kiramo {

QStringList recentFileList(const QStringList& stored) {
    QStringList list;
    for (const QString& path : stored) {
        if (list.size() == kMaxRecentFiles) {
            break;
        }
        // Paths are compared as written: off Windows two names that differ in case are two files.
        if (!path.isEmpty() && !list.contains(path)) {
            list.append(path);
        }
    }
    return list;
}

QStringList pushRecentFile(const QStringList& list, const QString& path) {
    QStringList pushed{path};
    pushed.append(list);
    return recentFileList(pushed);
}

}  // namespace kiramo
